# Sourced: starts a private Xvfb on a free display and exports DISPLAY and
# XVFB_PID. The caller stops it.
xvfb_fd_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$xvfb_fd_file" > /dev/null 2>&1 &
XVFB_PID=$!
for _ in $(seq 100); do
  [ -s "$xvfb_fd_file" ] && break
  sleep 0.1
done
[ -s "$xvfb_fd_file" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$xvfb_fd_file")"
export XVFB_PID
rm -f "$xvfb_fd_file"
