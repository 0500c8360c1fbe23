# bash completion for morvik-card.
#
# Nothing here lists the program's commands or options: they are read from
# "morvik-card --help" (the commands) and "morvik-card COMMAND --help" (every
# --option the command's help prints), so completion follows the installed
# program. An option's value is completed by the word its help puts after it:
# FILE or PATH completes file names, DIR directories, PORT or COMn the port
# names COM1-COM31.

# The help text of COMMAND, or the general help when the command has none of
# its own. The program runs with no terminal input and no serial port, and in
# English: the words read here ("commands:") are the English help's.
_morvik_card_help() {
  local program=$1 command=$2 text
  if [[ -n $command ]]; then
    text=$(LC_ALL=C MORVIK_PORT_DIR=/nonexistent timeout 2 "$program" "$command" --help 2>/dev/null </dev/null) &&
      [[ -n $text ]] && { printf '%s\n' "$text"; return; }
  fi
  LC_ALL=C MORVIK_PORT_DIR=/nonexistent timeout 2 "$program" --help 2>/dev/null </dev/null
}

# The commands: the first word of each line of the help's "commands:" block.
_morvik_card_commands() {
  awk 'tolower($0) ~ /^commands:/ { inside = 1; next }
       inside && /^[[:space:]]*$/ { inside = 0 }
       inside && /^  [a-z]/ { print $1 }'
}

# The word the help shows after option $1 (TEXT, N, FILE...), empty for a flag.
_morvik_card_value_of() {
  sed -nE "s/(^|.*[^a-z-])$1 ([A-Z][A-Za-z0-9:_|]*)([^A-Za-z0-9_-].*)?$/\2/p" | head -n 1
}

_morvik_card() {
  local cur=${COMP_WORDS[COMP_CWORD]} program=${COMP_WORDS[0]} help
  COMPREPLY=()
  if ((COMP_CWORD == 1)); then
    help=$(_morvik_card_help "$program" "")
    if [[ $cur == -* ]]; then
      COMPREPLY=($(compgen -W "$(grep -oE -- '--(help|version)' <<<"$help" | sort -u)" -- "$cur"))
    else
      COMPREPLY=($(compgen -W "$(_morvik_card_commands <<<"$help")" -- "$cur"))
    fi
    return
  fi

  if [[ ${COMP_WORDS[1]} == help ]]; then  # "morvik-card help COMMAND"
    ((COMP_CWORD == 2)) &&
      COMPREPLY=($(compgen -W "$(_morvik_card_help "$program" "" | _morvik_card_commands)" -- "$cur"))
    return
  fi
  help=$(_morvik_card_help "$program" "${COMP_WORDS[1]}")
  # "--port=CO" reaches here as the words --port, = and CO.
  local prev=${COMP_WORDS[COMP_CWORD - 1]}
  if [[ $cur == = ]]; then
    cur=
  elif [[ $prev == = ]] && ((COMP_CWORD > 2)); then
    prev=${COMP_WORDS[COMP_CWORD - 2]}
  fi
  if [[ $prev =~ ^--[a-z][a-z0-9-]*$ ]]; then
    case $(_morvik_card_value_of "$prev" <<<"$help") in
      "") ;;
      *FILE* | *PATH*) compopt -o filenames 2>/dev/null
                       COMPREPLY=($(compgen -f -- "$cur")); return ;;
      *DIR*) compopt -o filenames 2>/dev/null
             COMPREPLY=($(compgen -d -- "$cur")); return ;;
      PORT* | COM*) COMPREPLY=($(compgen -W "$(printf 'COM%d ' {1..31})" -- "$cur")); return ;;
      *) return ;;  # a value the operator types (TEXT, N, HEX...)
    esac
  fi

  # A command whose usage line takes a FILE of its own completes file names.
  if [[ $cur != -* ]] &&
     sed -n '1{s/--[a-z-]* [A-Z][A-Za-z0-9]*//g;p;}' <<<"$help" | grep -qE '\b(FILE|PATH)\b'; then
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -- "$cur"))
    return
  fi
  COMPREPLY=($(compgen -W "$(grep -oE -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u)" -- "$cur"))
}
complete -F _morvik_card morvik-card
