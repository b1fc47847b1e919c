@echo off
rem Writes a support report (the check, the settings, the registry entry, the start of the menu
rem file and the end of the log) to the desktop, to attach to a support request:
rem   report.cmd "<Creo installation>"
if "%~1"=="" goto usage
"%~dp0KorvexCreoSetup.exe" report %*
exit /b %errorlevel%
:usage
"%~dp0KorvexCreoSetup.exe"
pause
exit /b 1
