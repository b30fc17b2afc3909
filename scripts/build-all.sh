#!/usr/bin/env bash
# The main job: installs what is missing, builds every deliverable for the
# host (with the simulated platform) and for Windows x64 and x86, then plays
# the effect lab's demo through the driver of each model in real time, with
# its report log and motor plot, captures the four tabs of each model's
# property sheet with the sheet viewer (under Wine, on a virtual display)
# with a stand-in controller of the model attached and held off centre, and
# the controller's window with its motors run by the Vibration Test page,
# and lists what was built and written.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh
# What the job delivers and runs; the tests are built by the test command.
deliverables=(rumbix_s rumbix_t padscope_s padscope_t)
declare -A targets=(
    [host]="${deliverables[*]} rumbix-lab"
    [win64]="${deliverables[*]} padscope-view"
    [win32]="${deliverables[*]}"
)
for preset in host win64 win32; do
    cmake --preset "$preset" >/dev/null
    # shellcheck disable=SC2086 # the target list splits on purpose
    cmake --build --preset "$preset" --target ${targets[$preset]}
done

mkdir -p out
for model in s t; do
    echo
    echo "=== Effect lab demo, model ${model^^}"
    build/host/bin/rumbix-lab --model "$model" --log "out/demo_$model.log" \
        --plot "out/demo_$model.png"
done

# Both sticks off centre, three buttons and the hat at 45 degrees: every
# indicator of the pages shows something.
reading=x=200,y=60,z=30,rz=220,buttons=1+4+9,hat=4500
for model in s t; do
    echo
    echo "=== Property sheet viewer, model ${model^^}, with a controller attached"
    scripts/padscope-view.sh --model "$model" --controller --reading "$reading" --screenshots out
done

echo
echo "Built:"
ls -1 build/host/lib/librumbix_*.so build/host/lib/libpadscope_*.so build/host/bin/rumbix-lab build/win64/bin/*.dll \
    build/win64/bin/padscope-view.exe \
    build/win32/bin/*.dll | sed 's/^/  /'
echo "Written:"
ls -1 out/demo_* out/[st]-[1-4]-*.png out/[st]-controller.png | sed 's/^/  /'
