# Sourced by the session scripts that run a test as an ordinary user, who may
# not be able to reach the build (a checkout in root's home folder): copies
# the command, and each program it starts named as NAME=FILE before it, to
# WORK/bin, which that user can read. Sets `programs` (NAME=copy, for the
# command's environment) and `command` (the copy and its arguments).
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
