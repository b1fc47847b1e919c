@echo off
rem Removes the Korvex plug-in that install.cmd installed (see USER-GUIDE.md):
rem   uninstall.cmd "<Creo installation>" ["<plug-in folder>"]
if "%~1"=="" goto usage
"%~dp0KorvexCreoSetup.exe" uninstall %*
exit /b %errorlevel%
:usage
"%~dp0KorvexCreoSetup.exe"
pause
exit /b 1
