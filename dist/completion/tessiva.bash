# bash completion for tessiva, the Orvanix program.
#
# The options and their values are read from the program's own `tessiva --help` each time,
# so they are always those of the installed program, whatever options it has gained. An
# option line of the help reads "  --name VALUE, --other VALUE   text": the names come from
# the column before the text; a VALUE of words joined by "|" lists its choices, a VALUE
# naming a FILE completes file names (of its extension when it has one).

# The help text of the program being completed ($1: the command as typed).
_tessiva_help() {
  local program=${1:-tessiva}
  program=${program/#\~/$HOME}
  LC_ALL=C QT_QPA_PLATFORM=offscreen "$program" --help 2>/dev/null
}

# Prints "name value" for every option in the help on stdin ("-" when it takes no value).
_tessiva_option_table() {
  awk '/^ +-/ {
         term = $0
         sub(/^ +/, "", term)
         cut = index(term, "  ")
         if (cut) term = substr(term, 1, cut - 1)
         n = split(term, parts, ", ")
         for (k = 1; k <= n; k++) {
           split(parts[k], words, " ")
           if (words[1] ~ /^-/) print words[1], (words[2] == "" ? "-" : words[2])
         }
       }'
}

# File names (and folders to go into) matching an extension in either case ("" for any file).
_tessiva_files() {
  local cur=$1 pattern=$2 reset
  reset=$(shopt -p extglob)
  shopt -s extglob
  local IFS=$'\n'
  if [[ -n $pattern ]]; then
    COMPREPLY+=($(compgen -d -- "$cur") $(compgen -f -X "!*.@($pattern|${pattern^^})" -- "$cur"))
  else
    COMPREPLY+=($(compgen -f -- "$cur"))
  fi
  eval "$reset"
  compopt -o filenames 2>/dev/null
}

_tessiva() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local prev=""
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()
  local table
  table=$(_tessiva_help "${COMP_WORDS[0]}" | _tessiva_option_table)

  # The value of the option before, if it takes one.
  local value
  value=$(awk -v want="$prev" '$1 == want { print $2; exit }' <<<"$table")
  if [[ -n $value && $value != "-" ]]; then
    case $value in
      *'|'*)
        local choices=() word
        local IFS='|'
        for word in $value; do
          # Upper-case words are placeholders ("N|infinite"): only the literal words are offered.
          [[ $word =~ [a-z] ]] && choices+=("$word")
        done
        unset IFS
        COMPREPLY=($(compgen -W "${choices[*]}" -- "$cur"))
        ;;
      FILE.*) _tessiva_files "$cur" "${value#FILE.}" ;;
      FILE | *FILE*) _tessiva_files "$cur" "" ;;
    esac
    return 0
  fi

  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$(cut -d' ' -f1 <<<"$table" | sort -u)" -- "$cur"))
    return 0
  fi
  # The one argument: a wave file, a configuration or a macro.
  _tessiva_files "$cur" "wav|cfg|mac"
}

complete -F _tessiva tessiva
