# Sourced by the session scripts that run a test as an ordinary user (sway and mutter refuse root): that user (one
# per script, since a script ends its session by ending all of its user's processes) and `as_user` to run as it.
user=${session_user:?}
if [ "$(id -u)" = 0 ]; then
  id "$user" >/dev/null 2>&1 || useradd -m "$user"
  as_user() { runuser -u "$user" -- "$@"; }
else
  as_user() { "$@"; }
fi

# The session's folder `work` (with `run` and `home` for that user) goes at the end with whatever the user still
# runs (not root: `session_pids`). That user may not reach the build: the arguments [NAME=FILE ...] COMMAND [ARGS...]
# become `programs` (NAME=a copy in $work/bin) and `command` (a copy of COMMAND, and its arguments).
work=$(mktemp -d)
run="$work/run" home="$work/home" session_pids=""
chmod 755 "$work"
mkdir -p -m 700 "$run" "$home/.config" && mkdir -m 755 "$work/bin"
[ "$(id -u)" = 0 ] && chown -R "$user" "$run" "$home"
end_session() {
  if [ "$(id -u)" = 0 ]; then pkill -KILL -u "$user" || true; else kill $session_pids 2>/dev/null || true; fi
  # A desktop daemon may still be saving into the folder: tried again until it is gone.
  for _ in $(seq 30); do rm -rf "$work" 2>/dev/null && break; sleep 0.1; done
}
trap end_session EXIT
programs=()
while [[ $# -gt 1 && "$1" =~ ^[A-Z_]+= ]]; do
  cp "${1#*=}" "$work/bin/"
  programs+=("${1%%=*}=$work/bin/$(basename "${1#*=}")")
  shift
done
cp "$1" "$work/bin/"
command=("$work/bin/$(basename "$1")" "${@:2}")
