#!/usr/bin/env bash
# Installs what is missing, builds and starts gleaner. Arguments are passed to the program.
#
#   scripts/run.sh --demo [ARGS...]
#       also starts tools/sample-blog (a generated blog of 60 posts on 127.0.0.1), starts
#       gleaner with the blog's address in the address box, and stops the sample blog when
#       gleaner exits. GLEANER_DEMO_LIST=1 in the environment starts the list at once.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$root/build" >/dev/null

if [[ "${1:-}" != "--demo" ]]; then
    exec "$root/build/src/gleaner" "$@"
fi
shift

demo_dir=$(mktemp -d)
"$root/build/tools/sample-blog" --port 0 --posts 60 >"$demo_dir/address" &
blog_pid=$!
cleanup() {
    kill "$blog_pid" 2>/dev/null || true
    wait "$blog_pid" 2>/dev/null || true
    rm -rf "$demo_dir"
}
trap cleanup EXIT

address=""
for _ in $(seq 1 100); do
    address=$(head -n 1 "$demo_dir/address" 2>/dev/null || true)
    [[ -n "$address" ]] && break
    if ! kill -0 "$blog_pid" 2>/dev/null; then
        echo "run.sh: sample-blog did not start" >&2
        exit 1
    fi
    sleep 0.1
done
if [[ -z "$address" ]]; then
    echo "run.sh: sample-blog printed no address" >&2
    exit 1
fi
echo "run.sh: sample blog at $address" >&2

status=0
GLEANER_ADDRESS="$address" "$root/build/src/gleaner" "$@" || status=$?
exit "$status"
