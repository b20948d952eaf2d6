#!/usr/bin/env bash
# Runs the Linux zorvek and the Windows zorvek.exe (under wine) on the same
# piped answers, in folders of their own, and checks that they write the same
# files byte for byte and show the same dialogue (line ends and the spelling of
# the work folder aside).
#   e2e.sh RUN LINUX_BUILD ZORVEK_EXE WINE_RUN SOURCE_DIR WORK_DIR
# RUN is menu, convert, rescale, command-line or motion. Exits 77 (skipped)
# without a Linux build.
set -euo pipefail

run=$1
# The programs run in folders of their own: every path is made absolute first.
linux_build=$(realpath -m "$2") exe=$(realpath -m "$3") wine_run=$(realpath -m "$4")
source=$(realpath -m "$5") work=$(realpath -m "$6")
linux_zorvek=$linux_build/src/app/zorvek

if [[ ! -x "$linux_zorvek" ]]; then
    echo "no Linux build at $linux_build: build the default preset first"
    exit 77
fi

failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

rm -rf "$work"
mkdir -p "$work/linux" "$work/windows"
export LC_ALL=C.UTF-8 # wine takes the arguments' encoding from the locale

# The sample model and its texture dictionary beside the tables; the Linux
# build's generator makes them when the tree has no committed sample.
prepare() {
    local folder=$1 model=$source/samples/zorvek_sample.dff
    if [[ ! -f "$model" ]]; then
        model=$work/generated/zorvek_sample.dff
        [[ -f "$model" ]] || "$linux_build/tools/sample/zorvek-sample" "$work/generated" >/dev/null
    fi
    local dictionary=${model%.dff}.txd
    cp "$source/data/bones.dat" "$source/data/iks.dat" "$folder/"
    cp "$model" "$folder/model.dff"
    cp "$model" "$folder/モデル.dff"
    cp "$dictionary" "$folder/model.txd"
    cp "$dictionary" "$folder/モデル.txd"
}

# The sample's animation file beside the model, from the same place as the model.
prepare_animations() {
    local folder=$1 animations=$source/samples/zorvek_sample.ifp
    if [[ ! -f "$animations" ]]; then
        animations=$work/generated/zorvek_sample.ifp
        [[ -f "$animations" ]] || "$linux_build/tools/sample/zorvek-sample" "$work/generated" >/dev/null
    fi
    cp "$animations" "$folder/anim.ifp"
    cp "$animations" "$folder/アニメ.ifp"
}

# run_both ANSWERS [ARGUMENT...]: both programs in their folders; transcripts
# in linux.txt and windows.txt, exit statuses checked. Both transcripts hold
# standard error too, where the warnings go; wine itself is kept quiet
# (WINEDEBUG=-all), so whatever else it might say there fails the comparison.
run_both() {
    local answers=$1
    shift
    local status
    status=0
    (cd "$work/linux" && printf '%s' "$answers" | "$linux_zorvek" "$@" >"$work/linux.txt" 2>&1) || status=$?
    [[ $status -eq 0 ]] || fail "Linux zorvek $* ended with $status"
    status=0
    (cd "$work/windows" && printf '%s' "$answers" | "$wine_run" "$exe" "$@" >"$work/windows.txt" 2>&1) ||
        status=$?
    [[ $status -eq 0 ]] || fail "zorvek.exe $* ended with $status: $(tail -n 5 "$work/windows.txt")"
}

# The Windows transcript must end every line in CR LF; without the CRs, with
# slashes for backslashes and the work folders spelt alike, it must equal the Linux one.
compare_transcripts() {
    local linux windows
    local line_ends crlf_ends
    line_ends=$(tr -cd '\n' <"$work/windows.txt" | wc -c)
    crlf_ends=$(grep -c $'\r$' "$work/windows.txt" || true)
    if [[ $line_ends -ne $crlf_ends ]]; then
        fail "$((line_ends - crlf_ends)) line(s) of zorvek.exe's output end in LF without CR"
    fi
    linux=$(<"$work/linux.txt")
    windows=$(tr -d '\r' <"$work/windows.txt" | tr '\\' /)
    linux=${linux//"$work/linux/"/"<folder>/"}
    windows=${windows//"Z:$work/windows/"/"<folder>/"}
    if [[ "$linux" != "$windows" ]]; then
        fail "the dialogues differ"
        diff <(printf '%s\n' "$linux") <(printf '%s\n' "$windows") | head -40 || true
    fi
}

# Every image the Linux build wrote into the folder (relative to the work folder).
same_images() {
    local folder=$1 image found=0
    for image in "$work/linux/$folder"/*.png "$work/linux/$folder"/*.bmp "$work/linux/$folder"/*.tga; do
        [[ -f "$image" ]] || continue
        found=$((found + 1))
        same_file "${image#"$work/linux/"}"
    done
    [[ $found -gt 0 ]] || fail "no texture images in $folder"
}

# The motions in the folder: as many as expected from each program, each the same bytes.
same_motions() {
    local folder=$1 expected=$2 motion linux_count windows_count
    linux_count=$(find "$work/linux/$folder" -maxdepth 1 -name '*.vmd' | wc -l)
    windows_count=$(find "$work/windows/$folder" -maxdepth 1 -name '*.vmd' | wc -l)
    [[ $linux_count -eq $expected ]] || fail "Linux zorvek wrote $linux_count motion(s) into $folder, not $expected"
    [[ $windows_count -eq $expected ]] || fail "zorvek.exe wrote $windows_count motion(s) into $folder, not $expected"
    for motion in "$work/linux/$folder"/*.vmd; do
        [[ -f "$motion" ]] || continue
        same_file "${motion#"$work/linux/"}"
    done
}

same_file() {
    local name=$1
    if [[ ! -f "$work/linux/$name" ]]; then
        fail "Linux zorvek wrote no $name"
    elif [[ ! -f "$work/windows/$name" ]]; then
        fail "zorvek.exe wrote no $name"
    elif ! cmp "$work/linux/$name" "$work/windows/$name"; then
        fail "$name differs"
    else
        echo "same: $name ($(stat -c %s "$work/windows/$name") bytes)"
    fi
}

prepare "$work/linux"
prepare "$work/windows"

case "$run" in
menu)
    # Every entry and the keys no entry takes: letters, Enter, a digit out of
    # range. Entries 1 and 2 ask for a file, and an empty answer leaves them.
    run_both $'1\n\nv\n\n2\n\nI\n\nx\n\n6\nあ\nq\n'
    compare_transcripts
    grep -q "VMDをIFPに変換します" "$work/windows.txt" || fail "no VMD dialogue"
    grep -q "IFPをVMDに変換します" "$work/windows.txt" || fail "no motion dialogue"
    grep -q "有効な文字を入力してください" "$work/windows.txt" || fail "no invalid-key message"
    # Without the tables: the error, then one key ends the program.
    rm "$work/linux/bones.dat" "$work/windows/bones.dat"
    run_both $'x\n'
    compare_transcripts
    grep -q "エラー: bones.datを開けませんでした" "$work/windows.txt" || fail "no missing-table error"
    ;;
convert)
    # The three modes, a Japanese name in and out, a name without extension, and
    # a declined overwrite followed by another name; the textures follow each
    # model, and replacing the images is once accepted, once declined.
    run_both $'3\nmodel.dff\n1\n.png\nnone.pmx\nd\nmodel.dff\n2\n.bmp\ninfo\n3\nモデル.dff\n3\n.png\n出力.pmx\ny\n3\nmodel.dff\n3\n.png\nnone.pmx\nn\nmmd.pmx\nn\n4\n'
    compare_transcripts
    same_file none.pmx
    same_file info.pmx
    same_file 出力.pmx
    same_file mmd.pmx
    same_images .
    grep -q "テクスチャを出力しました" "$work/windows.txt" || fail "no textures written"
    ;;
rescale)
    # Two factors, a Japanese name, a name without extension, and a factor that
    # is no number after an accepted overwrite: the file stays as it was.
    run_both $'5\nmodel.dff\nbig.dff\n2.5\nm\nモデル.dff\nsmall\n0.5\nM\nmodel.dff\nbig.dff\ny\nabc\n4\n'
    compare_transcripts
    same_file big.dff
    same_file small.dff
    grep -q "倍率には数値を入力してください" "$work/windows.txt" || fail "no refusal of a factor that is no number"
    ;;
command-line)
    mkdir "$work/linux/表" "$work/windows/表"
    mv "$work"/linux/*.dat "$work/linux/表/"
    mv "$work"/windows/*.dat "$work/windows/表/"
    run_both "" convert model.dff モデル.dff -d out --mode info --texture-ext .tga --tables 表
    compare_transcripts
    same_file out/model.pmx
    same_file out/モデル.pmx
    same_images out
    # The default mode, the standard MMD skeleton: its grants, morphs and spread weights.
    run_both "" convert model.dff -o standard.pmx --tables 表 --no-textures
    compare_transcripts
    same_file standard.pmx
    # And back into the game: the standard PMX as a ped, and at another height.
    run_both "" pmx2dff standard.pmx -o 戻り.dff
    compare_transcripts
    same_file 戻り.dff
    run_both "" pmx2dff standard.pmx -d 小 --height 1.5
    compare_transcripts
    same_file 小/standard.dff
    run_both "" textures model.txd -d 画像 --format bmp
    compare_transcripts
    same_images 画像
    # The unpacked images packed again, and the converted model with the
    # images beside it back into the game with its TXD: the same textures,
    # resized, compressed and laid out alike.
    images=()
    for image in "$work/linux/画像"/*.bmp; do
        images+=("画像/${image##*/}")
    done
    run_both "" txd "${images[@]}" -o 画像.txd --mipmaps
    compare_transcripts
    same_file 画像.txd
    run_both "" convert モデル.dff -d 標準 --tables 表
    compare_transcripts
    same_images 標準
    run_both "" pmx2dff 標準/モデル.pmx -o 標準/戻り.dff --max-texture 128
    compare_transcripts
    same_file 標準/戻り.dff
    same_file 標準/戻り.txd
    run_both "" rescale モデル.dff 大きい.dff 3
    compare_transcripts
    same_file 大きい.dff
    ;;
motion)
    # The sample's four animations: "walk", "wave", "nod" and "look".
    prepare_animations "$work/linux"
    prepare_animations "$work/windows"
    # The menu's entry: one animation in each of two modes under a name without
    # extension, then all of them by Japanese names into a folder.
    mkdir "$work/linux/全部" "$work/windows/全部"
    # Entry 1 then takes one of them back into an animation file, and adds
    # another to a copy of the sample's animations.
    cp "$work/linux/anim.ifp" "$work/linux/集め.ifp"
    cp "$work/windows/anim.ifp" "$work/windows/集め.ifp"
    run_both $'2\nanim.ifp\nmodel.dff\n1\nwalk\n歩く\n2\nanim.ifp\nmodel.dff\n2\nnod\nnod-info\n2\nアニメ.ifp\nモデル.dff\n3\n\n全部\n1\n全部/walk.vmd\nモデル.dff\n3\n歩き戻し\n1\n全部/nod.vmd\nmodel.dff\n3\n集め.ifp\ny\ny\ny\n4\n'
    compare_transcripts
    same_file 歩く.vmd
    same_file nod-info.vmd
    same_motions 全部 4
    same_file 歩き戻し.ifp
    same_file 集め.ifp
    grep -q "VMDをIFPに変換します" "$work/windows.txt" || fail "no VMD dialogue"
    # The command line, in the four modes, with the tables in a folder of their own.
    mkdir "$work/linux/data" "$work/windows/data"
    mv "$work"/linux/*.dat "$work/linux/data/"
    mv "$work"/windows/*.dat "$work/windows/data/"
    for mode in mmd none info standard; do
        run_both "" ifp2vmd anim.ifp --model model.dff --mode "$mode" -d "$mode" --tables data
        compare_transcripts
        same_motions "$mode" 4
    done
    # Mode none keeps the game's bone names, two of which do not fit VMD's field:
    # the warning, on standard error, is part of both dialogues.
    run_both "" ifp2vmd anim.ifp --model model.dff --mode none --anim walk -o clavicles.vmd --tables data
    compare_transcripts
    same_file clavicles.vmd
    grep -q "警告: VMDに入らない長いボーン名があります: Bip01 L Clavicle" "$work/windows.txt" ||
        fail "no warning about a bone name too long for VMD"
    # One animation named in another case, Japanese names in and out.
    run_both "" ifp2vmd アニメ.ifp --model モデル.dff --mode mmd --anim WAVE -o 手を振る.vmd --tables data
    compare_transcripts
    same_file 手を振る.vmd
    # And back: the IK solved, keys dropped or all kept, into a new file or an existing one.
    run_both "" vmd2ifp mmd/walk.vmd --model model.dff --mode mmd -o 戻り.ifp --tables data
    compare_transcripts
    same_file 戻り.ifp
    run_both "" vmd2ifp standard/walk.vmd --model model.dff --mode standard -o 標準戻り.ifp --tables data
    compare_transcripts
    same_file 標準戻り.ifp
    run_both "" vmd2ifp none/wave.vmd --model モデル.dff --mode none --all-keys --tables data
    compare_transcripts
    same_file none/wave.ifp
    run_both "" vmd2ifp 手を振る.vmd --model model.dff --mode mmd --name wave2 --into anim.ifp --tables data
    compare_transcripts
    same_file anim.ifp
    if [[ -f "$source/samples/zorvek_sample.vmd" ]]; then
        cp "$source/samples/zorvek_sample.vmd" "$work/linux/dance.vmd"
        cp "$source/samples/zorvek_sample.vmd" "$work/windows/dance.vmd"
        run_both "" vmd2ifp dance.vmd --model model.dff --mode mmd --tables data
        compare_transcripts
        same_file dance.ifp
        # In the default mode: the grants, the twists and the lip sync played.
        run_both "" vmd2ifp dance.vmd --model model.dff -o 標準ダンス.ifp --tables data
        compare_transcripts
        same_file 標準ダンス.ifp
    fi
    ;;
*)
    echo "unknown run: $run" >&2
    exit 2
    ;;
esac

if [[ $failures -gt 0 ]]; then
    echo "$failures check(s) failed; transcripts in $work"
    exit 1
fi
echo "Linux and Windows builds agree ($run)"
