@echo off
rem Registers Pikuto's image encoder component for the current user only, from the folder this
rem script is in: no administrator rights are needed. uninstall.cmd undoes it. ASCII only: a
rem console shows Japanese only under code page 932.
setlocal
set "dll=%~dp0PikutoEncoder.dll"
set status=1
if not exist "%dll%" (
    echo PikutoEncoder.dll is not in "%~dp0", so nothing was registered.
    goto end
)
rem regsvr32 from the system folder by its full path, never a file of that name beside us.
"%SystemRoot%\System32\regsvr32.exe" /s /n /i:user "%dll%"
if errorlevel 1 (
    echo Could not register "%dll%" for %USERNAME%.
    echo Pikuto still saves BMP files, but not JPEG or PNG files.
    goto end
)
echo Registered the image encoder component "%dll%" for %USERNAME% only.
echo Pikuto can now save JPEG and PNG files: start Pikuto.exe from this folder.
echo If you move this folder, run install.cmd again from its new place.
set status=0
:end
rem Started from Explorer the window would close at once: keep it open until a key is pressed.
echo %cmdcmdline% | "%SystemRoot%\System32\find.exe" /i "%~0" >nul && pause
exit /b %status%
