# Sourced by run.sh before the program starts on the user's display.
# With no window manager on the display, Wine waits up to two seconds at every
# window it hides or destroys for a manager that never answers: the question
# box, the main window, and the shell's tray window when the program removes
# its icon at exit, so closing the program took six seconds. Wine's own
# setting for such displays is unmanaged windows; it is set for this program
# and for the shell process that draws the tray icons only, and taken back as
# soon as a window manager runs.
wine_program_key='HKCU\Software\Wine\AppDefaults\tonvelka.exe\X11 Driver'
wine_shell_key='HKCU\Software\Wine\AppDefaults\explorer.exe\X11 Driver'
if xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id'; then
  /usr/lib/wine/wine64 reg delete "$wine_program_key" /v Managed /f > /dev/null 2>&1 || true
  /usr/lib/wine/wine64 reg delete "$wine_shell_key" /v Managed /f > /dev/null 2>&1 || true
else
  /usr/lib/wine/wine64 reg add "$wine_program_key" /v Managed /d N /f > /dev/null 2>&1 || true
  /usr/lib/wine/wine64 reg add "$wine_shell_key" /v Managed /d N /f > /dev/null 2>&1 || true
fi
