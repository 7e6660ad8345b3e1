#!/bin/sh
# The launcher (packaging/launcher) in an installed layout of its own, with
# stand-in programs that record how they were started: which board folder it
# puts on the library search path, the folder the window works in, and what it
# hands the window to show.
#   tests/tst_launcher.sh packaging/launcher
# The conditions below are single-quoted, to be evaluated after each launch.
# shellcheck disable=SC2016
set -u
launcher=$(readlink -f "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
private=$prefix/lib/evm-controller
mkdir -p "$prefix/bin" "$private/sim" "$private/linux" "$scratch/work" "$scratch/home"
for program in evmcontroller evm2280; do
    cp "$launcher" "$prefix/bin/$program"
    cat >"$private/$program" <<EOF
#!/bin/sh
pwd -P >"$scratch/cwd"
printf %s "\${LD_LIBRARY_PATH:-}" >"$scratch/lib"
printf %s "\${EVM_START_PROBLEM:-}" >"$scratch/problem"
touch "$scratch/ran"
EOF
    chmod +x "$prefix/bin/$program" "$private/$program"
done
touch "$private/sim/libHxBus.so" "$private/linux/libHxBus.so"
# Board folders: one usable, one whose name the search path would split.
mkdir -p "$scratch/work/vendor" "$scratch/work/v:lib" "$scratch/work/v;lib" "$scratch/work/v"
touch "$scratch/work/vendor/libHxBus.so" "$scratch/work/v:lib/libHxBus.so" "$scratch/work/v;lib/libHxBus.so"

failures=0
# check NAME CONDITION: one result line.
check() {
    if eval "$2"; then
        echo "ok: $1"
    else
        failures=$((failures + 1))
        echo "FAIL: $1"
        echo "  exit $rc; stderr: $(cat "$scratch/err")"
        echo "  folder: $cwd; search path: $lib; problem: $problem"
    fi
}
# launch [VAR=VALUE...] PROGRAM [ARGS...]: from $from with a bare environment;
# sets rc, and from what the stand-in saw, cwd, lib and problem.
from=$scratch/work
launch() {
    rm -f "$scratch/ran"
    vars=
    while [ $# -gt 0 ] && [ "${1#*=}" != "$1" ]; do
        vars="$vars $1"
        shift
    done
    program=$1
    shift
    # shellcheck disable=SC2086 # one word per assignment
    (cd "$from" && env -i PATH=/usr/bin:/bin $vars "$prefix/bin/$program" "$@" 2>"$scratch/err")
    rc=$?
    cwd='' lib='' problem=''
    if [ -f "$scratch/ran" ]; then
        cwd=$(cat "$scratch/cwd")
        lib=$(cat "$scratch/lib")
        problem=$(cat "$scratch/problem")
    fi
}
lines() { wc -l <"$scratch/err"; }

launch HOME="$scratch/home" evm2280 --board vendor
check "--board DIR: the folder, made absolute, first on the search path" \
    '[ $rc -eq 0 ] && [ "$lib" = "$scratch/work/vendor" ] && [ "$cwd" = "$scratch/work" ]'

for name in 'v:lib' 'v;lib'; do
    launch HOME="$scratch/home" evm2280 --board "$name"
    check "a board folder named $name is refused" \
        '[ $rc -eq 2 ] && [ ! -f "$scratch/ran" ] && grep -q "rename it" "$scratch/err"'
    launch HOME="$scratch/home" evmcontroller --menu --board "$name"
    check "from the menu, a board folder named $name: the window without a board library, told why" \
        '[ $rc -eq 0 ] && [ -z "$lib" ] && echo "$problem" | grep -q "rename it"'
done

# "-" is no folder here; cd would take it for the previous folder, and a
# relative name for one in CDPATH.
launch HOME="$scratch/home" OLDPWD="$scratch/work/vendor" EVM_BOARD=- evm2280
check "EVM_BOARD=- is not the previous folder" '[ $rc -eq 2 ] && [ ! -f "$scratch/ran" ]'
from=$scratch/home
launch HOME="$scratch/home" CDPATH="$scratch/work" EVM_BOARD=vendor evm2280
check "a relative board folder is not looked for in CDPATH" '[ $rc -eq 2 ] && [ ! -f "$scratch/ran" ]'
from=$scratch/work

launch HOME="$scratch/home" EVM_BOARD="$scratch/nowhere" evmcontroller --menu
check "from the menu, an EVM_BOARD naming nothing: the window, told which setting is wrong" \
    '[ $rc -eq 0 ] && [ -z "$lib" ] && echo "$problem" | grep -q "nowhere.*(EVM_BOARD).*without a board library"'
mkdir -p "$scratch/home/.config/evm-controller"
echo "$scratch/work/v" >"$scratch/home/.config/evm-controller/board"
launch HOME="$scratch/home" evmcontroller --menu
check "from the menu, a board file naming a folder without libHxBus.so: the window, told so" \
    '[ $rc -eq 0 ] && echo "$problem" | grep -q "no libHxBus.so in $scratch/work/v ($scratch/home/.config/evm-controller/board)"'
rm -r "$scratch/home/.config"
launch HOME="$scratch/home" EVM_BOARD="$scratch/nowhere" evmcontroller
check "from a shell, an EVM_BOARD naming nothing ends with status 2" '[ $rc -eq 2 ] && [ ! -f "$scratch/ran" ]'

launch HOME="$scratch/home" evmcontroller --menu
check "from the menu: the simulator, in the private data folder" \
    '[ $rc -eq 0 ] && [ "$lib" = "$private/sim" ] && [ "$cwd" = "$scratch/home/.local/share/evm-controller" ] &&
     [ "$(stat -c %a "$cwd")" = 700 ] && [ -z "$problem" ] && [ "$(lines)" -eq 0 ]'

launch evmcontroller --menu
check "without HOME: the current folder, after one message of the launcher's own" \
    '[ $rc -eq 0 ] && [ "$cwd" = "$scratch/work" ] && [ "$(lines)" -eq 1 ] && grep -q "^evmcontroller: HOME is not set" "$scratch/err" &&
     echo "$problem" | grep -q "HOME is not set"'

launch HOME="$scratch/absent" evmcontroller --menu
check "a HOME that does not exist is not made" \
    '[ $rc -eq 0 ] && [ ! -e "$scratch/absent" ] && [ "$cwd" = "$scratch/work" ] && [ "$(lines)" -eq 1 ]'

touch "$scratch/file"
launch HOME="$scratch/home" XDG_DATA_HOME="$scratch/file/data" evmcontroller --menu
check "a data folder that cannot be made: the current folder, after one message" \
    '[ $rc -eq 0 ] && [ "$cwd" = "$scratch/work" ] && [ "$(lines)" -eq 1 ] && grep -q "cannot make" "$scratch/err"'

launch HOME="$scratch/home" EVM_START_PROBLEM=forged evmcontroller
check "only the launcher's own problems reach the window" '[ $rc -eq 0 ] && [ -z "$problem" ]'

if [ $failures -eq 0 ]; then
    echo "launcher: all passed"
else
    echo "launcher: $failures failed"
    exit 1
fi
