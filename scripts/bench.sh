#!/bin/bash
# Times the configuration rewrite and the folder copy of the setup run against sed and cp doing
# the same work on the same files, and a whole quiet run with and without the check of SHA256SUMS,
# and prints Markdown tables of the figures.
#
#   scripts/bench.sh [--quick]
#
# What runs is the shared logic over the Linux host double of the platform layer, not setup.exe
# on Windows. Every figure is warm cache: each input is read (copied into place) just before it
# is timed and one untimed run goes first, so no cache has to be dropped. Outputs go to the page
# cache and are not synced by either side, as neither program syncs. --quick stops after the
# 1 MiB files, the folder copy and fewer whole runs. The test data lives in a temporary folder below build/ and is
# deleted on every way out.
set -euo pipefail
shopt -s inherit_errexit  # a failed run inside $(compare ...) ends the script too
export LC_ALL=C  # byte-wise sed, and "." in the figures

quick=0
case "${1:-}" in
  --quick) quick=1 ;;
  "") ;;
  *) echo "usage: $0 [--quick]" >&2; exit 2 ;;
esac

repo=$(cd "$(dirname "$0")/.." && pwd)
here="$repo/tools/bench"
bin="$repo/build/bench/tools/bench"

if [ ! -x /usr/bin/time ]; then
  echo "installing: time" >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends time >/dev/null
fi

(cd "$repo" && cmake --preset bench >/dev/null && cmake --build --preset bench >/dev/null)

mkdir -p "$repo/build"
need_kib=$((quick ? 400 * 1024 : 4 * 1024 * 1024))  # the largest file three times, and room
if [ "$(df -Pk "$repo/build" | awk 'NR == 2 { print $4 }')" -lt "$need_kib" ]; then
  echo "$0: needs $((need_kib / 1024)) MiB free below $repo/build" >&2
  exit 1
fi
data=$(mktemp -d "$repo/build/bench-data.XXXXXX")
trap 'rm -rf "$data"' EXIT

replacement='    <logFile>D:/Tomcat/webapps/tessal/logs/poolman.log</logFile>'
sed_script="s#.*C:/TOMCAT.*#${replacement}\\r#"

# compare RUNS PREPARE_OURS PREPARE_THEIRS: runs the commands in the arrays ours_command and
# theirs_command in turns, each after its PREPARE (untimed): one round to warm up, then RUNS
# timed rounds. Taking turns spreads the load of anything else on the machine over both sides.
# Prints one line per side: the least and the median wall time in seconds, and the largest peak
# resident set in KiB.
compare() {
  local runs=$1
  local -a prepare=("$2" "$3")
  local round side t0 t1 rss
  local -a times0=() times1=() peak=(0 0)
  for ((round = 0; round <= runs; round++)); do
    for side in 0 1; do
      eval "${prepare[side]}"
      local -n command=$([ "$side" = 0 ] && echo ours_command || echo theirs_command)
      t0=$EPOCHREALTIME
      /usr/bin/time -f %M -o "$data/rss" "${command[@]}"
      t1=$EPOCHREALTIME
      unset -n command
      if ((round == 0)); then
        continue
      fi
      local -n times=times$side
      times+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.6f", b - a }')")
      unset -n times
      rss=$(tail -n 1 "$data/rss")
      ((rss > peak[side])) && peak[side]=$rss
    done
  done
  summarize "${peak[0]}" "${times0[@]}"
  summarize "${peak[1]}" "${times1[@]}"
}

summarize() {
  local peak=$1
  shift
  printf '%s\n' "$@" | sort -g | awk -v peak="$peak" '
    { t[NR] = $1 }
    END {
      median = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
      printf "%.4f %.4f %d\n", t[1], median, peak
    }'
}

# row WHAT RESULTS: one line of the table from the six figures that compare prints.
row() {
  awk -v what="$1" -v om="$2" -v od="$3" -v orss="$4" -v tm="$5" -v td="$6" -v trss="$7" 'BEGIN {
    printf "| %s | %.3f (%.3f) | %.1f | %.3f (%.3f) | %.1f | %.2f |\n",
      what, od, om, orss / 1024, td, tm, trss / 1024, od / td
  }'
}

digest() { md5sum <"$1" | cut -d' ' -f1; }

rows=()
line_path=()

# --- What starting a program costs, the floor under every figure -------------------------------
ours_command=(/bin/true)
theirs_command=(/bin/true)
rows+=("$(row "start of /bin/true, for scale" $(compare 21 : :))")

# --- The rewrite of a configuration file ----------------------------------------------------------
sizes=(1048576)
if ((!quick)); then
  sizes+=(104857600 1073741824)
fi
for size in "${sizes[@]}"; do
  case $size in
    1048576) runs=21 label="1 MiB" ;;
    104857600) runs=7 label="100 MiB" ;;
    *) runs=3 label="1 GiB" ;;
  esac
  for every in 100000 2; do
    source="$data/source.txt"
    work="$data/work.txt"
    python3 "$here/make_config.py" "$size" "$every" "$source"
    lines=$(wc -l <"$source")
    hits=$(grep -c 'C:/TOMCAT' "$source" || true)
    source_digest=$(digest "$source")
    prepare='cp "$source" "$work"; rm -f "$work.org"; sync "$work"'
    ours_command=("$bin/rewrite_file" "$work" "$work.org")
    theirs_command=(sed -i.org "$sed_script" "$work")
    results=$(compare "$runs" "$prepare" "$prepare")

    # Both sides write the same files, so that no more than three copies of the largest file
    # are on the disk at once; theirs ran last, and ours runs once more to be checked.
    theirs_out=$(digest "$work")
    theirs_org=$(digest "$work.org")
    eval "$prepare"
    "${ours_command[@]}"
    if [ "$(digest "$work")" != "$theirs_out" ] || [ "$(digest "$work.org")" != "$source_digest" ] ||
      [ "$theirs_org" != "$source_digest" ]; then
      echo "$0: rewrite of $label, 1 line in $every: the output differs from sed's" >&2
      exit 1
    fi
    rows+=("$(row "rewrite $label, $hits of $lines lines match" $results)")
    if ((size == 1048576)); then
      line_path+=("| $label, 1 line in $every matches | $("$bin/line_path" "$source" 200 |
        cut -d' ' -f1) |")
    fi
    rm -f "$source" "$work" "$work.org"
  done
done

# --- The copy of one folder of the deployment ---------------------------------------------------
files=10000
source="$data/folder"
destination="$data/copy"
python3 "$here/make_folder.py" "$files" "$source" "$repo/sample"
sources=("$source"/*)
ours_command=("$bin/deploy_folder" "$source" "$destination")
theirs_command=(cp "${sources[@]}" "$destination/")
results=$(compare 21 'rm -rf "$destination"' 'rm -rf "$destination"; mkdir "$destination"')
check_copy() {
  if ! diff -r "$source" "$destination" >/dev/null; then
    echo "$0: the copy by $1 differs from its source" >&2
    exit 1
  fi
}
check_copy cp  # theirs ran last
rm -rf "$destination"
"${ours_command[@]}"
check_copy deploy_folder
kib=$(du -sk --apparent-size "$source" | cut -f1)
rows+=("$(row "copy of $files files ($((kib / 1024)) MiB) in one folder" $results)")

# --- A whole quiet run over a large distribution -------------------------------------------------
# The same run on the same tree, with the release folder's SHA256SUMS and without it: the check of
# the digests reads every file once more before the copies read it again.
dist="$data/dist"
products="$data/products"
python3 "$here/make_distribution.py" "$dist" 10000 64 "$repo/sample"
dist_files=$(find "$dist" -type f | wc -l)
dist_mib=$(du -sm --apparent-size "$dist" | cut -f1)
fresh_products='rm -rf "$products"; mkdir -p "$products/jdk/jre" "$products/tomcat/webapps"'
with_sums='[ -f "$dist/SHA256SUMS" ] || mv "$data/SHA256SUMS" "$dist/"'
without_sums='[ ! -f "$dist/SHA256SUMS" ] || mv "$dist/SHA256SUMS" "$data/"'
ours_command=("$bin/whole_run" "$dist" "$products/jdk" "$products/tomcat")
theirs_command=("${ours_command[@]}")
whole_runs=$((quick ? 5 : 11))
results=$(compare "$whole_runs" "$fresh_products; $with_sums" "$fresh_products; $without_sums")
eval "$fresh_products; $with_sums"
"${ours_command[@]}"  # a failed run ends the script, with the run's exit code
lib=webapps/tessal/WEB-INF/lib
if ! diff -r "$dist/TOMCAT/$lib" "$products/tomcat/$lib" >/dev/null; then
  echo "$0: the whole run did not deploy $lib" >&2
  exit 1
fi
whole_row=$(row "whole quiet run, $dist_files files ($dist_mib MiB)" $results)

# --- The check of the machine that run left (/verify) against the run itself ----------------------
# Both with SHA256SUMS; the check reads each deployed file and its source once, where the run
# reads the source and writes the copy.
ours_command=("$bin/whole_run" "$dist" "$products/jdk" "$products/tomcat" /verify)
theirs_command=("$bin/whole_run" "$dist" "$products/jdk" "$products/tomcat")
results=$(compare "$whole_runs" ":" "$fresh_products")
verify_row=$(row "/verify after the run, $dist_files files ($dist_mib MiB)" $results)

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')," \
  "$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo) RAM," \
  "$(findmnt -no SOURCE,FSTYPE -T "$data" | tr -s ' '), Linux $(uname -r)"
echo "tools: $(g++ --version | head -n 1), $(sed --version | head -n 1), $(cp --version | head -n 1)"
echo
echo "| what | ours: median (min) s | ours: peak RSS MiB | sed/cp: median (min) s | sed/cp: peak RSS MiB | ours / theirs |"
echo "|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
echo
echo "| what | with SHA256SUMS: median (min) s | peak RSS MiB | without: median (min) s | peak RSS MiB | with / without |"
echo "|---|---|---|---|---|---|"
echo "$whole_row"
echo
echo "| what | /verify: median (min) s | peak RSS MiB | the run: median (min) s | peak RSS MiB | /verify / run |"
echo "|---|---|---|---|---|---|"
echo "$verify_row"
echo
echo "| the per-line work alone, in memory (line_path, best of 200) | MiB/s |"
echo "|---|---|"
printf '%s\n' "${line_path[@]}"
