# Sourced by the session scripts that run a test as an ordinary user (sway and mutter will not run as root): that
# user (session_user, one per script, since a script ends its session by ending all of its user's processes),
# made once, and `as_user` to run a command as it (plainly when the caller is not root).
user=${session_user:?}
if [ "$(id -u)" = 0 ]; then
  id "$user" >/dev/null 2>&1 || useradd -m "$user"
  as_user() { runuser -u "$user" -- "$@"; }
else
  as_user() { "$@"; }
fi

# That user may not reach the build (a checkout in root's home folder): copies the command, and each program
# named as NAME=FILE before it, to WORK/bin. Sets `programs` (NAME=copy, for the command's environment) and
# `command` (the copy and its arguments).
#   readable_programs WORK [NAME=FILE ...] COMMAND [ARGS...]
readable_programs() {
  local work=$1
  shift
  mkdir -m 755 "$work/bin"
  programs=()
  while [[ $# -gt 1 && "$1" =~ ^[A-Z_]+= ]]; do
    cp "${1#*=}" "$work/bin/"
    programs+=("${1%%=*}=$work/bin/$(basename "${1#*=}")")
    shift
  done
  cp "$1" "$work/bin/"
  command=("$work/bin/$(basename "$1")" "${@:2}")
}
