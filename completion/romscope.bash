# bash completion for romscope(1): every option, -fill='s byte, the folder of
# -extract=, and image files and folders elsewhere. Installed as
# share/bash-completion/completions/romscope.

_romscope() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local prev=${COMP_WORDS[COMP_CWORD - 1]:-}
  local options="-data -d -toc -t -obj -o -rec -r -sym -checkfiles -c -json -diff -map -flat
    -fill= -srec -ihex -extract= --help --version"
  COMPREPLY=()

  # The value of an option that takes one after '='. With '=' among
  # COMP_WORDBREAKS (bash's default) the line "-extract=bu" comes as the
  # words "-extract", "=", "bu", and readline replaces only what follows the
  # '='; without it, the word is whole and the reply keeps its "-extract=".
  local option="" value="" keep=""
  if [[ $cur == -*=* ]]; then
    option=${cur%%=*} value=${cur#*=} keep="$option="
  elif [[ $cur == "=" && $prev == -* ]]; then
    option=$prev
  elif [[ $prev == "=" && $COMP_CWORD -ge 2 && ${COMP_WORDS[COMP_CWORD - 2]} == -* ]]; then
    option=${COMP_WORDS[COMP_CWORD - 2]} value=$cur
  fi
  case $option in
    -extract)
      # A folder: one that does not exist yet is made, an empty one taken.
      local folder
      while IFS= read -r folder; do
        COMPREPLY+=("$keep$folder/")
      done < <(compgen -d -- "$value")
      compopt -o nospace 2>/dev/null
      return 0
      ;;
    -fill)
      local byte
      for byte in 0x00 0xFF; do
        [[ $byte == "$value"* ]] && COMPREPLY+=("$keep$byte")
      done
      return 0
      ;;
  esac

  if [[ $cur == -* ]]; then
    local word
    for word in $options; do
      [[ $word == "$cur"* ]] && COMPREPLY+=("$word")
    done
    # An option that takes its value after '=' goes on without a blank.
    if [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *= ]]; then
      compopt -o nospace 2>/dev/null
    fi
    return 0
  fi

  # An image (or, after -diff, the two images): any file, and the folders
  # on the way to it.
  compopt -o filenames 2>/dev/null
  local name
  while IFS= read -r name; do
    COMPREPLY+=("$name")
  done < <(compgen -f -- "$cur")
  return 0
}

complete -F _romscope romscope romscope.exe
