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
            convert | preview | text | font | glass) command=$word; break ;;
        esac
    done

    case $previous in
        -f | --format)
            if [ "$command" = font ]; then
                COMPREPLY=($(compgen -P "$prefix" -W "c a51 as31 sdas bin" -- "$current"))
            else
                COMPREPLY=($(compgen -P "$prefix" -W "listing a51 as31 sdas c bin bmp" -- "$current"))
            fi
            return ;;
        --label | --size | --x | --y | --chars | --threshold | --frame | --scale | --clock | --busy-time | \
            --reset-time | --rest | --instructions)
            COMPREPLY=()
            return ;;
        --wiring)
            COMPREPLY=($(compgen -P "$prefix" -W "port 0x8000,0x8001,0x8002,0x8003" -- "$current"))
            return ;;
        --data)
            COMPREPLY=($(compgen -P "$prefix" -W "P0 P1 P2 P3" -- "$current"))
            return ;;
        --a0 | --rw | --e1 | --e2)
            COMPREPLY=($(compgen -P "$prefix" -W "$(echo P{0..3}.{0..7})" -- "$current"))
            return ;;
        --align)
            COMPREPLY=($(compgen -P "$prefix" -W "left center right" -- "$current"))
            return ;;
        --valign)
            COMPREPLY=($(compgen -P "$prefix" -W "top middle bottom" -- "$current"))
            return ;;
        --font)
            compopt -o filenames 2>/dev/null || true
            COMPREPLY=()
            local name
            while IFS= read -r name; do
                case $name in
                    *.bdf | *.pcf | *.pcf.gz | *.ttf | *.otf | *.BDF | *.PCF | *.PCF.gz | *.TTF | *.OTF)
                        COMPREPLY+=("$prefix$name") ;;
                    *) if [ -d "$name" ]; then COMPREPLY+=("$prefix$name"); fi ;;
                esac
            done < <(compgen -f -- "$current")
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
        -o | --output | --png | --expect | --s51)
            compopt -o filenames 2>/dev/null || true
            COMPREPLY=($(compgen -P "$prefix" -f -- "$current"))
            return ;;
    esac

    case $command in
        "")
            if [[ $current == -* ]]; then
                COMPREPLY=($(compgen -W "--help --version" -- "$current"))
            else
                COMPREPLY=($(compgen -W "convert preview text font glass" -- "$current"))
            fi ;;
        convert)
            if [[ $current == -* ]]; then
                COMPREPLY=($(compgen -W "--format --label --inverse --check --output --quiet $picture_options --help --" \
                    -- "$current"))
            else
                compopt -o filenames 2>/dev/null || true
                COMPREPLY=($(compgen -f -- "$current"))
            fi ;;
        text)
            if [[ $current == -* ]]; then
                COMPREPLY=($(compgen -W "--font --size --x --y --align --valign --inverse --format --output --help" -- "$current"))
            else
                COMPREPLY=()  # the text itself
            fi ;;
        font)
            COMPREPLY=($(compgen -W "--font --size --chars --format --output --label --help" -- "$current")) ;;
        glass)
            if [[ $current == -* ]]; then
                COMPREPLY=($(compgen -W "--wiring --data --a0 --rw --e1 --e2 --clock --busy-time --reset-time --rest \
                    --instructions --s51 --png --scale --expect --inverse $picture_options --help" -- "$current"))
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
