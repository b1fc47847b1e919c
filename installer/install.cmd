@echo off
rem Installs the Korvex plug-in for PTC Creo from this folder (see USER-GUIDE.md):
rem   install.cmd "<Creo installation>" ["<plug-in folder>"]
if "%~1"=="" goto usage
"%~dp0KorvexCreoSetup.exe" install %*
exit /b %errorlevel%
:usage
"%~dp0KorvexCreoSetup.exe"
pause
exit /b 1
