# Bash completion for quillon-cli: its commands, their options, the formats
# and the choices of the picture options, and file names where a file goes.
_quillon_cli()
{
    local current=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD-1]}
    local command="" word prefix=""
    local picture_options="--fit --background --dither --threshold --rotate --flip --frame"
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
        --fit)
            COMPREPLY=($(compgen -P "$prefix" -W "contain cover stretch none" -- "$current"))
            return ;;
        --background)
            COMPREPLY=($(compgen -P "$prefix" -W "white black" -- "$current"))
            return ;;
        --dither)
            COMPREPLY=($(compgen -P "$prefix" -W "none floyd-steinberg atkinson bayer" -- "$current"))
            return ;;
        --rotate)
            COMPREPLY=($(compgen -P "$prefix" -W "0 90 180 270" -- "$current"))
            return ;;
        --flip)
            COMPREPLY=($(compgen -P "$prefix" -W "h v" -- "$current"))
            return ;;
        --label | --threshold | --frame | --scale)
            COMPREPLY=()
            return ;;
        -o | --output | --png)
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
                COMPREPLY=($(compgen -W "--format --label --inverse --check --output --quiet $picture_options --help --" \
                    -- "$current"))
            else
                compopt -o filenames 2>/dev/null || true
                COMPREPLY=($(compgen -f -- "$current"))
            fi ;;
        preview)
            if [[ $current == -* ]]; then
                COMPREPLY=($(compgen -W "--inverse --png --scale $picture_options --help" -- "$current"))
            else
                compopt -o filenames 2>/dev/null || true
                COMPREPLY=($(compgen -f -- "$current"))
            fi ;;
    esac
}
complete -F _quillon_cli quillon-cli
