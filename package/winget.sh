# The winget manifest of a release, sourced by package.sh (and by its test): the templates in
# package/winget/ filled with the version, the installer's SHA-256 and where the tag's release
# keeps the installer.

# Prints the web address of a repository given as a clone address (https, ssh, scp-like or git),
# without ".git", a trailing slash or credentials, which must never reach a published manifest.
# Fails, printing nothing, for a local path, and for an address holding more than letters, digits,
# "._~-", a port and slashes, which keeps the manifest's quoted values whole.
web_address() {
  local address=$1 scheme rest host path
  case "$address" in
    *://*) scheme=${address%%://*} rest=${address#*://} ;;
    *@*:*) scheme=ssh rest=${address/:/\/} ;;
    *) return 1 ;;
  esac
  host=${rest%%/*} path=${rest:${#host}}
  host=${host##*@}
  # The web runs on its own port, not ssh's.
  case "$scheme" in ssh | git) scheme=https host=${host%%:*} ;; esac
  address=$scheme://$host$path
  address=${address%/} address=${address%.git} address=${address%/}
  [[ $address =~ ^https?://[A-Za-z0-9.-]+(:[0-9]+)?(/[A-Za-z0-9._~-]+)+$ ]] || return 1
  echo "$address"
}

# Prints the release repository's web address: TACKPAD_RELEASE_REPOSITORY, else the git remote's
# ("origin", or the first). Fails where there is none, saying why on stderr.
release_repository() {
  local here=$1 address=${TACKPAD_RELEASE_REPOSITORY:-} from=TACKPAD_RELEASE_REPOSITORY
  if [ -z "$address" ]; then
    from="the git remote"
    address=$(git -C "$here" remote get-url origin 2>/dev/null ||
      git -C "$here" remote get-url "$(git -C "$here" remote 2>/dev/null | head -1)" 2>/dev/null || true)
  fi
  web_address "$address" && return
  echo "no web address of the release repository in $from (\"$address\")" >&2
  return 1
}

# Writes the three manifest files of version $1 into $4, for the installer $2 as the tag
# v<version> of repository $3 publishes it.
write_winget_manifest() {
  local version=$1 setup=$2 repository=$3 out=$4 template text sha
  [[ $version =~ ^[0-9]+(\.[0-9]+){0,3}$ ]] || { echo "no winget version: \"$version\"" >&2; return 1; }
  sha=$(sha256sum "$setup" | cut -d' ' -f1) || return 1
  for template in "$(dirname "${BASH_SOURCE[0]}")"/winget/*.yaml; do
    text=$(<"$template")
    text=${text//@INSTALLER_URL@/"$repository/releases/download/v$version/${setup##*/}"}
    text=${text//@INSTALLER_SHA256@/"${sha^^}"}
    text=${text//@REPOSITORY@/"$repository"}
    text=${text//@VERSION@/"$version"}
    printf '%s\n' "$text" >"$out/${template##*/}" || return 1
  done
}
