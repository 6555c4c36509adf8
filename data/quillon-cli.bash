# Bash completion for quillon-cli: its commands, their options, the formats,
# and file names where a file goes.
_quillon_cli()
{
    local current=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD-1]}
    local command="" word prefix=""
    # --format=VALUE: bash makes "=" a word of its own, unless COMP_WORDBREAKS
    # lacks it; then the option and the value come as one word.
    if [[ $previous == = && $COMP_CWORD -ge 2 ]]; then
        previous=${COMP_WORDS[COMP_CWORD-2]}
    elif [[ $current == --*=* ]]; then
        previous=${current%%=*}
        prefix=$previous=
        current=${current#*=}
    fi
    for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
        case $word in
            convert | preview) command=$word; break ;;
        esac
    done

    case $previous in
        -f | --format)
            COMPREPLY=($(compgen -P "$prefix" -W "listing a51 as31 sdas c bin bmp" -- "$current"))
            return ;;
        --label)
            COMPREPLY=()
            return ;;
        -o | --output)
            compopt -o filenames 2>/dev/null || true
            COMPREPLY=($(compgen -P "$prefix" -f -- "$current"))
            return ;;
    esac

    case $command in
        "")
            if [[ $current == -* ]]; then
                COMPREPLY=($(compgen -W "--help --version" -- "$current"))
            else
                COMPREPLY=($(compgen -W "convert preview" -- "$current"))
            fi ;;
        convert)
            if [[ $current == -* ]]; then
                COMPREPLY=($(compgen -W "--format --label --inverse --check --output --quiet --help --" -- "$current"))
            else
                compopt -o filenames 2>/dev/null || true
                COMPREPLY=($(compgen -f -- "$current"))
            fi ;;
        preview)
            if [[ $current == -* ]]; then
                COMPREPLY=($(compgen -W "--help" -- "$current"))
            else
                compopt -o filenames 2>/dev/null || true
                COMPREPLY=($(compgen -f -- "$current"))
            fi ;;
    esac
}
complete -F _quillon_cli quillon-cli
