#!/usr/bin/env bash
# The virtual printer where new users start it: in a private (0700) folder whose name holds a
# blank and shell characters, and as an ordinary user with a login shell's PATH (created when
# the test runs as root). Each prints a sample with both types and reads back what arrived:
# the STAR job's pages scanned, the EPSON stream compared with `kestrane escpos`.
#
#   virtual_printer_test.sh KESTRANE_CLI
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)

# scenario DIR KESTRANE SAMPLES VIRTUAL_PRINTER: one run, a line "ok ..." or "not ok ..." a check.
scenario() {
  local dir=$1 kestrane=$2 samples=$3 vp=$4 work
  work=$(dirname "$dir")
  check() {
    if [[ $2 == "$3" ]]; then echo "ok $1"; else echo "not ok $1: got '$2', wanted '$3'"; fi
  }
  newest() {
    local queue=$1 file
    for _ in $(seq 200); do
      file=$(ls "$dir/jobs/$queue" 2>/dev/null | tail -n 1)
      if [[ -n $file && -z $(lpstat -o 2>/dev/null) ]]; then
        echo "$dir/jobs/$queue/$file"
        return
      fi
      sleep 0.1
    done
  }
  if ! "$vp" up "$dir" >/dev/null; then
    echo "not ok the virtual printer starts in '$dir'"
    return
  fi
  # shellcheck disable=SC1091
  . "$dir/env"
  mkdir -p "$work/epson base/node_modules/printer/build"
  check "STAR job" "$("$kestrane" print --type STAR --printer receipt80 --base "$samples/base" "$samples/kestrane.html")" \
    "Return - Print Operation was successful"
  check "EPSON job" "$("$kestrane" print --type EPSON --address "$KESTRANE_LPD_ADDRESS" --base "$work/epson base" "$samples/vexo.html")" \
    "Receipt printed sucessfully"
  check "ESC/POS raster job" "$("$kestrane" print --type EPSON --address "${KESTRANE_ESCPOS_ADDRESS:-none}" --base "$samples/base" --raster "$samples/kestrane.html")" \
    "Receipt printed sucessfully"
  local star epson codes
  star=$(newest receipt80)
  epson=$(newest RAW)
  if [[ -n $star ]] && "$kestrane" pages "$star" --out "$work/pages" >/dev/null; then
    codes=$(zbarimg --nodbus -q --raw "$work/pages/page-1.png" | sort -u | tr '\n' ' ')
  fi
  check "the STAR page's codes (Code 39, QR)" "${codes:-no page}" "000004711023 4711023 "
  check "the EPSON stream" "$(cmp -s "${epson:-/dev/null}" <("$kestrane" escpos "$samples/vexo.html") && echo same)" same
  local id runtime
  id=$(sed -n 's/^id=//p' "$dir/instance")
  runtime=$(sed -n 's/^runtime=//p' "$dir/instance")
  "$vp" down "$dir" 2>/dev/null
  check "processes left after down" \
    "$(grep -lszxF -e "KESTRANE_VIRTUAL_PRINTER=$id" -e "CUPS_SERVERROOT=$runtime/root" /proc/[0-9]*/environ | wc -l)" 0
  check "the scheduler's folder is removed" "$([[ -e $runtime ]] && echo kept || echo removed)" removed
  check "the logs are kept" "$([[ -f $dir/log/page_log ]] && echo kept)" kept
}

# As the ordinary user: a run in a new folder of the home folder, removed afterwards.
if [[ ${1:-} == --in-home ]]; then
  shift
  home_work=$(mktemp -d "$HOME/vp.XXXXXX")
  scenario "$home_work/vp dir" "$@"
  rm -rf "$home_work"
  exit 0
fi

kestrane=${1:?usage: virtual_printer_test.sh KESTRANE_CLI}
results=$(mktemp)
private=$(mktemp -d)
trap 'rm -rf "$private" "$results"' EXIT

echo "# as $(id -un), in a 0700 folder, DIR with a blank and shell characters"
echo 'outside DIR' >"$private/vq"
scenario "$private/vq sp;\$(x)'" "$kestrane" "$source_dir/samples" "$source_dir/scripts/virtual-printer" | tee -a "$results"
if [[ $(cat "$private/vq") == 'outside DIR' ]]; then echo "ok a file beside DIR is untouched"; else
  echo "not ok a file beside DIR was changed"; fi | tee -a "$results"

if [[ $(id -u) -eq 0 ]]; then
  user=kestrane-tester
  id "$user" >/dev/null 2>&1 || useradd -m -s /bin/bash "$user"
  # What the user runs, where it can read it whatever folder this checkout is in.
  shared=$(mktemp -d)
  trap 'rm -rf "$private" "$results" "$shared"' EXIT
  chmod 0755 "$shared"
  mkdir -p "$shared/scripts" "$shared/tests/scripts"
  cp -R "$source_dir/samples" "$shared/"
  cp -R "$source_dir/scripts/virtual-printer" "$source_dir/scripts/virtual-printer.d" "$source_dir/scripts/escpos-printer" \
    "$shared/scripts/"
  cp "$here/virtual_printer_test.sh" "$shared/tests/scripts/"
  cp "$kestrane" "$shared/kestrane"
  chmod -R a+rX "$shared"
  echo "# as the ordinary user $user, with a login shell, in its home folder"
  su - "$user" -c "bash $(printf '%q ' "$shared/tests/scripts/virtual_printer_test.sh" --in-home \
    "$shared/kestrane" "$shared/samples" "$shared/scripts/virtual-printer")" | tee -a "$results"
else
  echo "# already an ordinary user: the run above is the ordinary user's"
fi

passed=$(grep -c '^ok' "$results")
failed=$(grep -c '^not ok' "$results")
echo "$passed passed, $failed failed"
[[ $failed -eq 0 && $passed -gt 0 ]]
