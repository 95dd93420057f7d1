#!/bin/sh
# A private X server for the dialog tests of one build tree.
#   xvfb.sh start <dir>           starts Xvfb on a free display (recorded in <dir>)
#   xvfb.sh stop <dir>            stops it
#   xvfb.sh run <dir> <cmd>...    runs <cmd> with DISPLAY set to it, when it runs
set -eu
verb=$1 dir=$2
shift 2

running_pid() {
  [ -f "$dir/pid" ] || return 1
  pid=$(cat "$dir/pid")
  # Only our own server: the pid may have been reused since.
  tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q "^Xvfb .*-displayfd" || return 1
  echo "$pid"
}

stop() {
  if pid=$(running_pid); then
    kill "$pid" 2>/dev/null || true
    i=0
    while kill -0 "$pid" 2>/dev/null && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
  fi
  rm -f "$dir/pid" "$dir/display"
}

case $verb in
start)
  stop
  mkdir -p "$dir"
  # -displayfd: the server picks a free display itself and reports it when
  # it is ready, so parallel runs in other trees cannot collide.
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
    3>"$dir/display.new" </dev/null >"$dir/xvfb.log" 2>&1 &
  echo $! >"$dir/pid"
  i=0
  until [ -s "$dir/display.new" ]; do
    if [ $i -ge 100 ] || ! kill -0 "$(cat "$dir/pid")" 2>/dev/null; then
      echo "Xvfb did not start:" >&2; cat "$dir/xvfb.log" >&2; stop; exit 1
    fi
    sleep 0.1; i=$((i + 1))
  done
  mv "$dir/display.new" "$dir/display"
  echo "Xvfb on :$(cat "$dir/display")"
  ;;
stop)
  stop
  ;;
run)
  if [ -s "$dir/display" ]; then
    DISPLAY=":$(cat "$dir/display")"
    export DISPLAY
  fi
  exec "$@"
  ;;
*)
  echo "usage: $0 start|stop|run <dir> [command...]" >&2; exit 2
  ;;
esac
