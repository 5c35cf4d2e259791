# Sourced by run.sh and session.sh before the program starts on a display.
# With no window manager on the display, Wine waits up to two seconds at every
# window it hides or destroys for a manager that never answers: the question
# box, the main window, and the shell's tray window when the program removes
# its icon at exit, so closing the program took six seconds. Wine's own
# setting for such displays is unmanaged windows; it is set for this program
# and for the shell process that draws the tray icons only, and taken back as
# soon as a window manager runs.
# The loader of the program that starts: wine64, or 32-bit Wine for the product.
wine_loader=${TONVELKA_WINE:-/usr/lib/wine/wine64}
wine_program_key='HKCU\Software\Wine\AppDefaults\tonvelka.exe\X11 Driver'
wine_shell_key='HKCU\Software\Wine\AppDefaults\explorer.exe\X11 Driver'
if xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id'; then
  "$wine_loader" reg delete "$wine_program_key" /v Managed /f > /dev/null 2>&1 || true
  "$wine_loader" reg delete "$wine_shell_key" /v Managed /f > /dev/null 2>&1 || true
else
  "$wine_loader" reg add "$wine_program_key" /v Managed /d N /f > /dev/null 2>&1 || true
  "$wine_loader" reg add "$wine_shell_key" /v Managed /d N /f > /dev/null 2>&1 || true
fi
