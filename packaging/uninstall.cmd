@echo off
rem Unregisters Pikuto's image encoder component for the current user, as install.cmd registered
rem it. Deleting the folder afterwards is up to the user: it may hold setting.ini.
setlocal
set "dll=%~dp0PikutoEncoder.dll"
set status=1
if not exist "%dll%" (
    echo PikutoEncoder.dll is not in "%~dp0", so nothing was unregistered.
    goto end
)
"%SystemRoot%\System32\regsvr32.exe" /s /u /n /i:user "%dll%"
if errorlevel 1 (
    echo Could not unregister "%dll%" for %USERNAME%.
    goto end
)
echo Unregistered the image encoder component "%dll%" for %USERNAME%.
echo Close Pikuto if it is running, then delete this folder to remove Pikuto completely.
echo setting.ini in this folder holds your settings: keep a copy if you want them later.
set status=0
:end
rem Started from Explorer the window would close at once: keep it open until a key is pressed.
echo %cmdcmdline% | "%SystemRoot%\System32\find.exe" /i "%~0" >nul && pause
exit /b %status%
