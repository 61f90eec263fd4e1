# The unprivileged user that runs every Wine process of the tests. Wine run as root ignores the
# read-only attribute and file permissions, so a test run as root proves things that are false on
# Windows. Sourced by the scripts that start Wine, and called by the Python tests
# (tests/e2e/tessal_e2e/wine_user.py): run as root, a script hands the folders it writes to the user
# and carries on as that user.

readonly WINE_USER=winetester

# wine_user_ensure: creates the user, and lets it reach the checkout (search permission on the
# folders above it, for a checkout below a home that only root may enter). As root, once.
wine_user_ensure() {
  if ! id -u "$WINE_USER" >/dev/null 2>&1; then
    useradd --create-home --shell /usr/sbin/nologin "$WINE_USER"
  fi
  local folder
  folder=$(realpath "$(dirname "${BASH_SOURCE[0]}")/../..")
  while [ "$folder" != / ]; do
    if ! setpriv --reuid="$WINE_USER" --regid="$WINE_USER" --init-groups test -x "$folder"; then
      echo "the Wine tests' user may now pass through $folder"
      chmod o+x "$folder"
    fi
    folder=$(dirname "$folder")
  done
}

# wine_user_give FOLDER...: makes each folder and hands it, with all it holds, to the user. A
# folder that is the user's already is left alone: other tests may be working below it.
wine_user_give() {
  local folder
  for folder in "$@"; do
    mkdir -p "$folder"
    [ "$(stat -c %U "$folder")" == "$WINE_USER" ] || chown -R "$WINE_USER:" "$folder"
  done
}

# wine_user_become COMMAND...: run as root, replaces this process by the command run as the user;
# otherwise returns, and the caller goes on as it is.
wine_user_become() {
  [ "$(id -u)" -eq 0 ] || return 0
  if ! id -u "$WINE_USER" >/dev/null 2>&1; then
    echo "no user $WINE_USER to run Wine as: run scripts/install-deps.sh first" >&2
    exit 1
  fi
  exec setpriv --reuid="$WINE_USER" --regid="$WINE_USER" --init-groups \
    env HOME="$(getent passwd "$WINE_USER" | cut -d: -f6)" USER="$WINE_USER" \
    LOGNAME="$WINE_USER" "$@"
}
