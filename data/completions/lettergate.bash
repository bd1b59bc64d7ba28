# bash completion for lettergate: the verbs, the options and the modifiers of tap.
_lettergate() {
    local current=${COMP_WORDS[COMP_CWORD]}
    case $COMP_CWORD in
        1) COMPREPLY=($(compgen -W 'toggle tap show settings windows quit --help --version' -- "$current")) ;;
        2) [ "${COMP_WORDS[1]}" = tap ] && COMPREPLY=($(compgen -W 'super ctrl alt shift' -- "$current")) ;;
        *) COMPREPLY=() ;;
    esac
}
complete -F _lettergate lettergate
