# fish completion for lettergate: the verbs, the options and the modifiers of tap.
set -l verbs toggle tap show settings windows quit
complete -c lettergate -f
complete -c lettergate -n "not __fish_seen_subcommand_from $verbs" -s h -l help -d 'Show the help and exit'
complete -c lettergate -n "not __fish_seen_subcommand_from $verbs" -s v -l version -d 'Show the version and exit'
complete -c lettergate -n "not __fish_seen_subcommand_from $verbs" -a toggle -d 'Open the panel, or close it when it is open'
complete -c lettergate -n "not __fish_seen_subcommand_from $verbs" -a tap -d 'Report a bare tap of a modifier'
complete -c lettergate -n "not __fish_seen_subcommand_from $verbs" -a show -d 'Open the panel'
complete -c lettergate -n "not __fish_seen_subcommand_from $verbs" -a settings -d 'Open the settings window'
complete -c lettergate -n "not __fish_seen_subcommand_from $verbs" -a windows -d 'Print the windows as the panel would show them'
complete -c lettergate -n "not __fish_seen_subcommand_from $verbs" -a quit -d 'Quit Lettergate'
complete -c lettergate -n "__fish_seen_subcommand_from tap; and test (count (commandline -opc)) -eq 2" -a 'super ctrl alt shift' -d 'Modifier'
