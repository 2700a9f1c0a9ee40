# Sourced by the CI scripts. `werror_on DIR` notes a build tree that the
# script configures with warnings as errors (-DROMSCOPE_WERROR=ON); when the
# script ends, however it ends, the option is set back off in each such tree,
# so that the README's commands, which reuse these trees, then build them
# without -Werror, as they would anywhere else.
werror_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
werror_trees=()
werror_on() {  # DIR
  werror_trees+=("$1")
  trap werror_off EXIT
}
werror_off() {
  local status=$? dir
  for dir in "${werror_trees[@]}"; do
    if [ -f "$dir/CMakeCache.txt" ]; then
      cmake -S "$werror_root" -B "$dir" -DROMSCOPE_WERROR=OFF >/dev/null || status=1
    fi
  done
  exit "$status"
}
