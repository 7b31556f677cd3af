#!/usr/bin/env bash
# Checks the demo edition's folder against its sources and against the
# simulated web it is made for: the settings file reads back as written, the
# banners have the formats their entries name, the news identities and the
# click addresses work on the simulator, the updater records its call, and
# halvane-demo (when built) starts and leaves its folder as it found it.
# usage: check-demo-folder.sh DEMO_FOLDER HALVANE_BRAND SETTINGS_TXT
set -euo pipefail

if [ "$#" -ne 3 ]; then
  echo "usage: check-demo-folder.sh DEMO_FOLDER HALVANE_BRAND SETTINGS_TXT" >&2
  exit 2
fi
folder="$1"
brand="$2"
plain="$3"

work="$(mktemp -d)"
sim_pid=""
demo_pid=""
stop() {
  local pid="$1"
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
}
# shellcheck disable=SC2317  # called by the EXIT trap
cleanup() {
  stop "$demo_pid"
  stop "$sim_pid"
  rm -rf -- "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# shellcheck source=check-report.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/check-report.sh"

for file in dbsettings.dat banner1.dat banner2.dat banner3.dat main.ico Updater.exe sim.conf halvane-sim; do
  [ -f "$folder/$file" ] || fatal "the demo folder lacks $file"
done
[ -x "$folder/Updater.exe" ] || fail "Updater.exe is not executable"
[ -x "$folder/halvane-sim" ] || fail "halvane-sim is not executable"

# --- the settings file reads back as written ---------------------------------
"$brand" show "$folder/dbsettings.dat" >"$work/show" || fatal "halvane-brand cannot read dbsettings.dat"
shown() { sed -n "s/^$1: //p" "$work/show" | head -n 1; }
# Every one-line entry must come back with its value: an entry out of order
# or with a misspelt tag reads as empty.
while IFS= read -r line; do
  if [[ "$line" =~ ^\<%%([A-Za-z]+[0-9]*)%%\>(.*)\<%%/([A-Za-z]+[0-9]*)%%\>$ ]]; then
    name="${BASH_REMATCH[1]}"
    value="${BASH_REMATCH[2]}"
    [ "$name" = "${BASH_REMATCH[3]}" ] || fail "entry $name is closed by ${BASH_REMATCH[3]}"
    case "$name" in
      AffiliateTYPE | AffiliateID | AffiliateURL) continue ;;
      MakeMoneyButton) name=MakeMoneyCaption ;;
    esac
    [ "$(shown "$name")" = "$value" ] || fail "$name reads back as '$(shown "$name")', written '$value'"
  fi
done <"$plain"
[ "$(shown BranderType)" = Master ] || fail "not a Master edition"
[ "$(shown NewsButton)" = shown ] || fail "the News button would be hidden"
for name in AboutText Welcome1 WelcomeHtml; do
  [ -n "$(shown "$name")" ] || fail "$name is empty"
done
affiliate="$(shown AffiliateURL)"
[[ "$affiliate" != *%%AFFILIATEID%%* ]] || fail "the affiliate id was not put into AffiliateURL: $affiliate"
[[ "$affiliate" == *"$(sed -n 's/^<%%AffiliateID%%>\(.*\)<%%\/AffiliateID%%>$/\1/p' "$plain")"* ]] ||
  fail "AffiliateURL lacks the affiliate id: $affiliate"
banner_number="$(shown BannerNumber)"
[[ "$banner_number" =~ ^[123]$ ]] || fail "BannerNumber is '$banner_number'"
last_news="$(shown LastNewsId)"
[[ "$last_news" =~ ^[0-9]+$ ]] || fail "LastNewsId is '$last_news'"

# --- banners and icon -----------------------------------------------------------
for n in 1 2 3; do
  entry="$(shown "Banner$n")"
  [ -n "$entry" ] || {
    fail "no Banner$n entry"
    continue
  }
  name="${entry%%^*}"
  picture="$folder/banner$n.dat"
  kind="$(file -b "$picture")"
  case "${name,,}" in
    *.gif) expected="GIF image data" ;;
    *.jpg | *.jpeg) expected="JPEG image data" ;;
    *.png) expected="PNG image data" ;;
    *) expected="(an unknown extension: $name)" ;;
  esac
  [[ "$kind" == "$expected"* ]] || fail "banner$n.dat is '$kind', its entry names $name"
  size="$(identify -format '%w %h\n' "$picture" 2>/dev/null | head -n 1)"
  [ "$size" = "468 60" ] || fail "banner$n.dat is '$size', not 468 x 60"
  if [[ "${name,,}" == *.gif ]]; then
    frames="$(identify "$picture" 2>/dev/null | wc -l)"
    [ "$frames" -ge 2 ] || fail "banner$n.dat has $frames frame(s); it is meant to be animated"
  fi
done
icon_sizes="$(identify -format '%w ' "$folder/main.ico" 2>/dev/null || true)"
for size in 16 32 48 256; do
  [[ " $icon_sizes" == *" $size "* ]] || fail "main.ico lacks the ${size}x${size} picture (has: $icon_sizes)"
done

# --- the updater stand-in ------------------------------------------------------
mkdir "$work/updater"
cp -- "$folder/Updater.exe" "$work/updater/"
base="http://127.0.0.1:27380/liveupdate/halvane/"
(cd / && env -u DISPLAY "$work/updater/Updater.exe" "$base" 2.20 A >"$work/updater.out") ||
  fail "Updater.exe failed"
record="$work/updater/updater-run.txt"
if [ -f "$record" ]; then
  grep -qxF "base: $base" "$record" || fail "the updater's record lacks the base address"
  grep -qxF "version: 2.20" "$record" || fail "the updater's record lacks the version"
  grep -qxF "mode: A" "$record" || fail "the updater's record lacks the mode"
  grep -qxF "arguments: 3" "$record" || fail "the updater's record has the wrong argument count"
else
  fail "Updater.exe wrote no updater-run.txt beside itself"
fi

# --- the simulated web serves what the settings name ---------------------------
"$folder/halvane-sim" --port 0 --config "$folder/sim.conf" >"$work/sim.out" 2>"$work/sim.log" &
sim_pid=$!
for _ in $(seq 1 100); do
  if [ -s "$work/sim.out" ] || ! kill -0 "$sim_pid" 2>/dev/null; then break; fi
  sleep 0.1
done
port="$(head -n 1 "$work/sim.out")"
[[ "$port" =~ ^[0-9]+$ ]] || {
  cat -- "$work/sim.log" >&2
  fatal "halvane-sim did not start with the demo configuration"
}
# The settings name the demo port; this simulator listens on its own.
on_sim() { printf '%s' "${1//:27380\//:$port/}"; }

news_base="$(on_sim "$(shown MasterNewsBaseURL)")"
latest="$(curl -fsS --max-time 10 \
  -F "memusername=$(shown MasterPublID)" -F "prodcode=$(shown BranderCode)" -F prodtype=BM \
  -F conttype=lastcode -F newstarget=UA -F something= "${news_base}getlastnews.php" | tr -d '\r')" ||
  fail "the news server does not answer at ${news_base}getlastnews.php"
latest_id="${latest%%^*}"
if [[ "$latest" != *OK* ]] || ! [[ "$latest_id" =~ ^[0-9]+$ ]]; then
  fail "the news server refuses the edition's identities: '$latest'"
elif [ "$latest_id" -le "$last_news" ]; then
  fail "LastNewsId $last_news is not below the latest news id $latest_id: no balloon"
fi

inf="$(curl -fsS --max-time 10 "http://127.0.0.1:$port/liveupdate/halvane/mainappupdate.inf" | tr -d '\r')" ||
  fail "no update description"
published="$(sed -n 's/^Version=//p' <<<"$inf")"
awk -v p="$published" 'BEGIN { exit !(p + 0 > 2.20) }' ||
  fail "the published version '$published' is not newer than 2.20"

# "blue widgets" at a depth of 300 needs three full result pages.
query='%22blue+widgets%22+%22comment%22+%22powered+by+wordpress%22'
third="$(curl -fsS --max-time 10 "http://127.0.0.1:$port/search?num=100&hl=en&q=$query&btnG=Search&start=200")" ||
  fail "no third result page"
[ "$(grep -o 'href="/url?q=' <<<"$third" | wc -l)" -ge 100 ] || fail "the third result page lists fewer than 100 results"

# Every address a click opens is a page of the simulated web.
addresses=("$(shown AppHelpURL)" "$affiliate")
for family in Banner Link; do
  for n in 1 2 3; do
    entry="$(shown "$family$n")"
    if [ -n "$entry" ]; then addresses+=("${entry#*^}"); fi
  done
done
for address in "${addresses[@]}"; do
  [[ "$address" == http://127.0.0.* ]] || {
    fail "$address is not on the simulated web"
    continue
  }
  curl -fsS --max-time 10 -o /dev/null "$(on_sim "$address")" || fail "$address does not answer on the simulator"
done
stop "$sim_pid"
sim_pid=""

# --- halvane-demo starts and leaves its folder as it was ------------------------
if [ -x "$folder/halvane-demo" ]; then
  copy="$work/folder"
  mkdir "$copy"
  cp -p -- "$folder"/* "$copy/"
  rm -f -- "$copy/updater-run.txt" "$copy/mainappupdate.inf"
  QT_QPA_PLATFORM=offscreen "$copy/halvane-demo" >"$work/demo.log" 2>&1 &
  demo_pid=$!
  sleep 3
  if kill -0 "$demo_pid" 2>/dev/null; then
    status=0
    kill -TERM "$demo_pid"
    wait "$demo_pid" || status=$?
    demo_pid=""
    if [ "$status" -ne 0 ] && [ "$status" -ne 143 ]; then
      cat -- "$work/demo.log" >&2
      fail "halvane-demo ended with status $status after SIGTERM"
    fi
  else
    status=0
    wait "$demo_pid" || status=$?
    demo_pid=""
    cat -- "$work/demo.log" >&2
    fail "halvane-demo ended within 3 s (status $status)"
  fi
  for n in 1 2 3; do
    cmp -s -- "$folder/banner$n.dat" "$copy/banner$n.dat" || fail "banner$n.dat is missing or changed after a run"
    entry="$(shown "Banner$n")"
    [ ! -e "$copy/${entry%%^*}" ] || fail "${entry%%^*} is left in the folder after a run"
  done
  [ ! -e "$copy/dbsettings.sim" ] || fail "dbsettings.sim is left in the folder after a run"
  "$brand" show "$copy/dbsettings.dat" >/dev/null || fail "dbsettings.dat does not read after a run"
else
  echo "note: halvane-demo is not built; its start is not checked"
fi

finish_checks "demo folder checks passed"
