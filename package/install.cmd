@echo off
rem Registers Corvasin's registry folders with the shell; with /u (what uninstall.cmd passes)
rem unregisters them. On 64-bit Windows the x64 DLL goes to the 64-bit regsvr32 and the x86 DLL
rem to the 32-bit one; on 32-bit Windows the x86 DLL alone. Run it as administrator.
setlocal
set "PACKAGE=%~dp0"
set "ARGS=/s"
set "DOING=registering"
set "WHAT=install"
if /i "%~1"=="/u" (
    set "ARGS=/u /s"
    set "DOING=unregistering"
    set "WHAT=uninstall"
)
set "FAILED=0"

rem A 32-bit cmd on 64-bit Windows sees the 32-bit System32 under that name; the 64-bit one is
rem then reached as Sysnative.
set "ARCH=%PROCESSOR_ARCHITECTURE%"
set "NATIVE=%SystemRoot%\System32"
if defined PROCESSOR_ARCHITEW6432 (
    set "ARCH=%PROCESSOR_ARCHITEW6432%"
    set "NATIVE=%SystemRoot%\Sysnative"
)
echo Corvasin %WHAT% from %PACKAGE%
if /i "%ARCH%"=="AMD64" goto win64
if /i "%ARCH%"=="x86" goto win32
echo FAILED: this Windows runs on %ARCH%; the package holds DLLs for x86 and x64 only.
set "FAILED=1"
goto done

:win64
call :server 64-bit "%NATIVE%\regsvr32.exe" x64
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" goto win64wow
echo 32-bit: skipped, this Windows has no 32-bit regsvr32 (%SystemRoot%\SysWOW64\regsvr32.exe).
goto done
:win64wow
call :server 32-bit "%SystemRoot%\SysWOW64\regsvr32.exe" x86
goto done

:win32
call :server 32-bit "%NATIVE%\regsvr32.exe" x86

:done
if "%FAILED%"=="0" echo Corvasin %WHAT%: done.
if not "%FAILED%"=="0" echo Corvasin %WHAT%: FAILED.
rem Started from Explorer (cmd /c) the window would close before the report can be read.
rem Wine's cmd has no CMDCMDLINE.
set "LAUNCH=%CMDCMDLINE%"
if not defined LAUNCH goto finish
set "LAUNCH=%LAUNCH:"=%"
if /i not "%LAUNCH: /c =%"=="%LAUNCH%" pause
:finish
exit /b %FAILED%

rem :server NAME REGSVR32 FOLDER: registers or unregisters FOLDER\corvasin.dll of the package.
:server
set "DLL=%PACKAGE%%~3\corvasin.dll"
if exist "%DLL%" goto serverfound
echo %~1: FAILED, %DLL% is missing.
set "FAILED=1"
goto :eof
:serverfound
echo %~1: %DOING% %DLL%
"%~2" %ARGS% "%DLL%"
set "RC=%ERRORLEVEL%"
if "%RC%"=="0" goto serverdone
echo %~1: FAILED, %~2 exit code %RC%.
rem regsvr32 answers 5 when DllRegisterServer fails, which without the rights of an administrator
rem is the registry refusing to write.
if "%RC%"=="5" echo Run this script as administrator: right-click it, Run as administrator.
set "FAILED=1"
goto :eof
:serverdone
echo %~1: done.
goto :eof
