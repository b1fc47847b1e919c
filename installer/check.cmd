@echo off
rem Checks the set-up of the Korvex plug-in and says what to do about anything amiss (see
rem USER-GUIDE.md); it changes nothing:
rem   check.cmd "<Creo installation>"
if "%~1"=="" goto usage
"%~dp0KorvexCreoSetup.exe" check %*
exit /b %errorlevel%
:usage
"%~dp0KorvexCreoSetup.exe"
pause
exit /b 1
