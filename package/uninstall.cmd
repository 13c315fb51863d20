@echo off
rem Unregisters Corvasin's registry folders: install.cmd with /u, for both DLLs where there are two.
call "%~dp0install.cmd" /u
exit /b %ERRORLEVEL%
