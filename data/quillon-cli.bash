# Bash completion for quillon-cli. Everything it offers comes from the tool
# itself, so it cannot go out of date: the commands from `quillon-cli --help`,
# a command's options and each option's choices ("--fit HOW:{contain,...}")
# from `quillon-cli COMMAND --help`; file names where a file goes.
_quillon_cli()
{
    local current=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD-1]}
    local program=${COMP_WORDS[0]} command="" word prefix="" help commands
    # --format=VALUE: bash makes "=" a word of its own, unless COMP_WORDBREAKS
    # lacks it; then the option and the value come as one word.
    if [[ $previous == = && $COMP_CWORD -ge 2 ]]; then
        previous=${COMP_WORDS[COMP_CWORD-2]}
    elif [[ $current == --*=* ]]; then
        previous=${current%%=*}
        prefix=$previous=
        current=${current#*=}
    fi
    commands=$("$program" --help 2>/dev/null | sed -n '/^Subcommands:/,/^$/s/^  \([a-z]*\) .*/\1/p' | tr '\n' ' ')
    for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
        if [[ " $commands " == *" $word "* ]]; then
            command=$word
            break
        fi
    done
    if [ -z "$command" ]; then
        if [[ $current == -* ]]; then
            COMPREPLY=($(compgen -W "--help --version" -- "$current"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$current"))
        fi
        return
    fi
    help=$("$program" "$command" --help 2>/dev/null)

    # The value of an option: its choices, a file, or nothing to offer.
    local line type choices
    if [[ $previous == -* ]]; then
        # "  -f,--format FORMAT:{listing,...}": the option's names, then its
        # type in capitals; a flag's next word is its description's.
        line=$(awk -v option="$previous" '/^  -/ { n = split($1, names, ","); for (k = 1; k <= n; ++k)
                   if (names[k] == option) { print ($2 ~ /^[A-Z0-9.]+(:[{].*[}])?$/ ? $2 : "-"); exit } }' <<<"$help")
        if [ -n "$line" ]; then
            type=${line#-}
            case $type in
                "") ;;  # a flag: the word after it is another
                *:\{*\})
                    choices=${type#*\{}
                    choices=${choices%\}}
                    COMPREPLY=($(compgen -P "$prefix" -W "${choices//,/ }" -- "$current"))
                    return ;;
                FILE | FONT | PICTURE | PATH)
                    compopt -o filenames 2>/dev/null || true
                    COMPREPLY=($(compgen -P "$prefix" -f -- "$current"))
                    return ;;
                *)
                    COMPREPLY=()
                    return ;;
            esac
        fi
    fi
    if [[ $current == -* ]]; then
        COMPREPLY=($(compgen -W "$(grep -oE -- '^  (-[a-z],)?--[a-z0-9-]+' <<<"$help" | sed 's/.*,//; s/^ *//') --" \
            -- "$current"))
    elif grep -qE '^  (INPUT|FILE|FIRMWARE) ' <<<"$help"; then
        compopt -o filenames 2>/dev/null || true
        COMPREPLY=($(compgen -f -- "$current"))
    else
        COMPREPLY=()  # the text itself, or nothing
    fi
}
complete -F _quillon_cli quillon-cli
