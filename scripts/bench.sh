#!/usr/bin/env bash
# Times whole zorvek processes on synthetic skinned models of growing size
# (32 bones) against copying the same bytes with cp, and reports peak memory;
# then what textures add, to one model and to a batch of peds, the motions
# of a ped.ifp stand-in, a long MMD motion made into a game animation, and
# the start-up.
# Not run by CI.
#   bench.sh [VERTEX_COUNT ...]   default: 1000 10000 100000 1000000
#   BENCH_RUNS (default 9) runs per command, the median is shown;
#   BENCH_BUILD_DIR (default build/bench) holds its build (RelWithDebInfo, as the default preset);
#   BENCH_ZORVEK (default that build's) is the zorvek timed, e.g. an older build to compare;
#   BENCH_PEDS (default 312) is the size of the batch of peds with their textures.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

sizes=("$@")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(1000 10000 100000 1000000)
runs="${BENCH_RUNS:-9}"
build="${BENCH_BUILD_DIR:-build/bench}"

bash scripts/install-deps.sh build bench
# The tools too: the IFP generator animates the sample's skeleton.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVEK_BUILD_BENCH=ON -DZORVEK_BUILD_TOOLS=ON >/dev/null
cmake --build "$build" --target zorvek zorvek-bench-model zorvek-bench-txd zorvek-bench-peds zorvek-bench-ifp zorvek-bench-vmd \
    zorvek-bench-pmx zorvek-bench-textured zorvek-bench-dxt >/dev/null
zorvek="${BENCH_ZORVEK:-$root/$build/src/app/zorvek}"
work="$(mktemp -d "${TMPDIR:-/tmp}/zorvek-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Runs the command BENCH_RUNS times; prints "median_ms peak_kb" (the highest peak of the runs).
measure() {
    local times=() peak=0 start end kb
    for ((run = 0; run < runs; ++run)); do
        start=$(date +%s%N)
        /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null 2>&1 </dev/null
        end=$(date +%s%N)
        times+=($(((end - start) / 1000)))
        kb=$(tail -1 "$work/rss")
        ((kb > peak)) && peak=$kb
    done
    local median
    median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}')
    echo "$((median / 1000)).$(printf '%03d' $((median % 1000))) $peak"
}

size_of() { stat -c %s "$1"; }

# One row: size, command, median, floor, peak memory, bytes in and out. The
# marginal time per vertex is the growth since the previous size, so a flat
# column means linear growth once the process start-up no longer counts.
declare -A previous_ms previous_vertices
row() {
    local vertices="$1" what="$2" ms="$3" floor_ms="$4" peak_kb="$5" bytes="$6"
    awk -v v="$vertices" -v w="$what" -v ms="$ms" -v f="$floor_ms" -v kb="$peak_kb" -v b="$bytes" \
        -v pms="${previous_ms[$what]:-}" -v pv="${previous_vertices[$what]:-}" 'BEGIN {
        marginal = pv == "" ? "-" : sprintf("%.1f", (ms - pms) * 1e6 / (v - pv))
        printf "| %9d | %-13s | %9.1f | %9.1f | %5.2f | %9.1f | %8s | %8.1f | %5.2f |\n",
            v, w, ms, f, ms / f, ms * 1e6 / v, marginal, kb / 1024, kb * 1024 / b }'
    previous_ms[$what]="$ms"
    previous_vertices[$what]="$vertices"
}

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
     "$(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo) memory; median of $runs runs"
echo
echo "| vertices | command | median ms | floor ms | ratio | ns/vertex | marginal ns/vertex | peak MiB | peak/(in+out) |"
echo "|---:|---|---:|---:|---:|---:|---:|---:|---:|"
for vertices in "${sizes[@]}"; do
    input="$work/model-$vertices.dff"
    "$root/$build/bench/zorvek-bench-model" "$vertices" "$input"
    in_bytes=$(size_of "$input")
    read -r cp_ms cp_kb < <(measure cp "$input" "$work/copy.dff")
    row "$vertices" "cp input" "$cp_ms" "$cp_ms" "$cp_kb" "$((2 * in_bytes))"
    for mode in none info mmd; do
        output="$work/out-$mode.pmx"
        read -r ms kb < <(measure "$zorvek" convert "$input" -o "$output" --mode "$mode" --tables data --force)
        out_bytes=$(size_of "$output")
        read -r floor_ms _ < <(measure sh -c 'cp "$1" "$3" && cp "$2" "$4"' sh "$input" "$output" \
            "$work/copy.dff" "$work/copy.pmx")
        row "$vertices" "convert $mode" "$ms" "$floor_ms" "$kb" "$((in_bytes + out_bytes))"
    done
    read -r ms kb < <(measure "$zorvek" rescale "$input" "$work/rescaled.dff" 2 --force)
    row "$vertices" "rescale" "$ms" "$cp_ms" "$kb" "$((2 * in_bytes))"
done

# What the textures add to a conversion: a 5,000-vertex ped with a TXD beside
# it, converted with its textures and with --no-textures.
echo
echo "| TXD | size KiB | convert with textures ms | without ms | textures add ms |"
echo "|---|---:|---:|---:|---:|"
for kind in ped dxt5-2048; do
    folder="$work/textures-$kind"
    mkdir -p "$folder"
    "$root/$build/bench/zorvek-bench-model" 5000 "$folder/ped.dff"
    "$root/$build/bench/zorvek-bench-txd" "$kind" "$folder/ped.txd"
    read -r with_ms _ < <(measure "$zorvek" convert "$folder/ped.dff" --mode mmd --tables data --force)
    read -r without_ms _ < <(measure "$zorvek" convert "$folder/ped.dff" --mode mmd --tables data --force --no-textures)
    awk -v k="$kind" -v b="$(size_of "$folder/ped.txd")" -v w="$with_ms" -v n="$without_ms" \
        'BEGIN { printf "| %s | %.0f | %.1f | %.1f | %.1f |\n", k, b / 1024, w, n, w - n }'
done

# A batch like the game's peds (bench/PedBatchMain.cpp): BENCH_PEDS models of
# 3,000 to 6,000 vertices, each with its TXD of one or two 256x256 DXT
# textures, converted in one process with PNG textures and with
# --no-textures. The two alternate run by run, each into a new folder that is
# removed and flushed outside the timing, so both meet the same disk.
echo
peds="${BENCH_PEDS:-312}"
"$root/$build/bench/zorvek-bench-peds" "$peds" "$work/peds"
batch_ms() {
    local out="$work/batch-out" start end
    mkdir "$out"
    start=$(date +%s%N)
    "$zorvek" convert "$work"/peds/*.dff -d "$out" --mode mmd --tables data --force "$@" >/dev/null 2>&1 </dev/null
    end=$(date +%s%N)
    rm -rf "$out"
    sync
    echo $(((end - start) / 1000))
}
with_times=() without_times=()
for ((run = 0; run < runs; ++run)); do
    with_times+=("$(batch_ms)")
    without_times+=("$(batch_ms --no-textures)")
done
median_ms() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR + 1) / 2)] / 1000}'; }
echo "| peds | with PNG textures ms | --no-textures ms | ratio |"
echo "|---:|---:|---:|---:|"
awk -v p="$peds" -v w="$(median_ms "${with_times[@]}")" -v n="$(median_ms "${without_times[@]}")" \
    'BEGIN { printf "| %d | %.1f | %.1f | %.2f |\n", p, w, n, w / n }'

# Images into a TXD: a 20,000-vertex model of 20 materials, each with its own
# 1024x1024 PNG (bench/TexturedModelMain.cpp, every fourth with cut-out
# holes), converted by pmx2dff with its TXD, and the 20 images packed by
# `zorvek txd` in each format; then the DXT encoders we could use compared
# on the same kind of images (bench/DxtQualityMain.cpp).
echo
"$root/$build/bench/zorvek-bench-textured" "$work/textured" 20 1024
echo "| 20 images of 1024x1024 | median ms | peak MiB | TXD KiB |"
echo "|---|---:|---:|---:|"
texture_row() {
    local what="$1" txd="$2"
    shift 2
    read -r ms kb < <(measure "$@")
    awk -v w="$what" -v ms="$ms" -v kb="$kb" -v b="$(size_of "$txd")" \
        'BEGIN { printf "| %s | %.1f | %.1f | %.0f |\n", w, ms, kb / 1024, b / 1024 }'
}
texture_row "pmx2dff (DFF and TXD, DXT)" "$work/textured/model.txd" \
    "$zorvek" pmx2dff "$work/textured/model.pmx" --force
for format in dxt 8888; do
    texture_row "txd --texture-format $format" "$work/images-$format.txd" \
        "$zorvek" txd "$work"/textured/textures/*.png -o "$work/images-$format.txd" --texture-format "$format" --force
done
texture_row "txd --mipmaps" "$work/images-mips.txd" \
    "$zorvek" txd "$work"/textured/textures/*.png -o "$work/images-mips.txd" --mipmaps --force
echo
"$root/$build/bench/zorvek-bench-dxt" 1024 20

# Motions: a ped.ifp stand-in (bench/AnimationFileMain.cpp) made into one VMD
# per animation for the bundled sample, against copying the IFP and the VMDs.
echo
summary=$("$root/$build/bench/zorvek-bench-ifp" "$work/ped.ifp")  # "330 animations, 657.5 s, N keys"
echo "IFP: $summary, $(size_of "$work/ped.ifp") bytes"
echo
echo "| IFP | command | median ms | floor ms | ratio | ms per animation s | peak MiB | peak/(in+out) |"
echo "|---|---|---:|---:|---:|---:|---:|---:|"
motions="$work/motions"
read -r ms kb < <(measure "$zorvek" ifp2vmd "$work/ped.ifp" --model samples/zorvek_sample.dff --mode mmd \
    -d "$motions" --force --tables data)
read -r floor_ms _ < <(measure sh -c 'cp "$1" "$3" && cp -rT "$2" "$4"' sh "$work/ped.ifp" "$motions" \
    "$work/copy.ifp" "$work/copy-motions")
in_bytes=$(size_of "$work/ped.ifp")
out_bytes=$(find "$motions" -name '*.vmd' -printf '%s\n' | awk '{ sum += $1 } END { print sum }')
animation_seconds=$(awk '{ print $3 }' <<<"$summary")
awk -v n="$(find "$motions" -name '*.vmd' | wc -l)" -v ms="$ms" -v f="$floor_ms" -v s="$animation_seconds" \
    -v kb="$kb" -v b="$((in_bytes + out_bytes))" 'BEGIN {
    printf "| ped (%d animations, %.0f s) | ifp2vmd mmd | %9.1f | %9.1f | %5.2f | %6.2f | %8.1f | %5.2f |\n",
        n, s, ms, f, ms / f, ms / s, kb / 1024, kb * 1024 / b }'
echo "VMD written: $((out_bytes / 1048576)) MiB in $(find "$motions" -name '*.vmd' | wc -l) files"

# The other way: a five-minute motion keyed on every frame of every bone
# (bench/MotionFileMain.cpp) made into an IFP for the sample, timed inside
# the bench program step by step as vmd2ifp runs them, then as whole zorvek
# processes against copying the VMD and the IFP.
echo
"$root/$build/bench/zorvek-bench-vmd" "$work/long.vmd" samples/zorvek_sample.dff data "$runs"
echo
echo "| VMD | command | median ms | floor ms | ratio | ms per motion s | peak MiB | peak/(in+out) |"
echo "|---|---|---:|---:|---:|---:|---:|---:|"
for keys in reduced all; do
    flag=()
    [[ $keys == all ]] && flag=(--all-keys)
    read -r ms kb < <(measure "$zorvek" vmd2ifp "$work/long.vmd" --model samples/zorvek_sample.dff --mode mmd \
        -o "$work/long.ifp" --force --tables data "${flag[@]}")
    read -r floor_ms _ < <(measure sh -c 'cp "$1" "$3" && cp "$2" "$4"' sh "$work/long.vmd" "$work/long.ifp" \
        "$work/copy.vmd" "$work/copy.ifp")
    awk -v k="$keys" -v ms="$ms" -v f="$floor_ms" -v kb="$kb" \
        -v b="$(($(size_of "$work/long.vmd") + $(size_of "$work/long.ifp")))" 'BEGIN {
        printf "| 300 s, every frame | vmd2ifp mmd, %s keys | %9.1f | %9.1f | %5.2f | %6.2f | %8.1f | %5.2f |\n",
            k, ms, f, ms / f, ms / 300, kb / 1024, kb * 1024 / b }'
done

# MMD models into peds: semi-standard models (bench/MmdModelMain.cpp) up to
# the most vertices a ped holds, converted by pmx2dff, against copying the
# PMX and the DFF.
echo
echo "| PMX | command | median ms | floor ms | ratio | ns/vertex | peak MiB | peak/(in+out) |"
echo "|---|---|---:|---:|---:|---:|---:|---:|"
for model in "5000 5" "40000 10" "65000 30"; do
    read -r vertices materials <<<"$model"
    pmx="$work/mmd-$vertices.pmx"
    "$root/$build/bench/zorvek-bench-pmx" "$vertices" "$materials" "$pmx"
    read -r ms kb < <(measure "$zorvek" pmx2dff "$pmx" -o "$work/mmd.dff" --force)
    read -r floor_ms _ < <(measure sh -c 'cp "$1" "$3" && cp "$2" "$4"' sh "$pmx" "$work/mmd.dff" \
        "$work/copy.pmx" "$work/copy.dff")
    awk -v v="$vertices" -v m="$materials" -v ms="$ms" -v f="$floor_ms" -v kb="$kb" \
        -v b="$(($(size_of "$pmx") + $(size_of "$work/mmd.dff")))" 'BEGIN {
        printf "| %d vertices, %d materials | pmx2dff | %9.1f | %9.1f | %5.2f | %6.1f | %8.1f | %5.2f |\n",
            v, m, ms, f, ms / f, ms * 1e6 / v, kb / 1024, kb * 1024 / b }'
done

echo
read -r ms kb < <(cd data && runs=20 measure sh -c "printf '4\n' | '$zorvek'")
echo "Start-up to the menu and exit (tables loaded, in data/): $ms ms median, peak $((kb / 1024)) MiB"
