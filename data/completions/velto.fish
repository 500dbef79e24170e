# fish completion for velto
complete -c velto -f
complete -c velto -l tray -d 'Live in the panel'
complete -c velto -l print -d 'Print the status and the menu once'
complete -c velto -l watch -d 'Print the status title whenever it changes'
complete -c velto -l format -x -a 'text waybar' -d 'Output of --watch'
complete -c velto -l calendar -x -a 'eds:' -d "The desktop's calendars"
complete -c velto -l calendar -x -a '(__fish_complete_suffix .ics)' -d 'Calendar file, folder, https address or eds:'
complete -c velto -l join-next -d "Open the next meeting's join link"
complete -c velto -l refresh -d 'Make the running tray read the calendars again'
complete -c velto -s h -l help -d 'Show the help'
complete -c velto -l version -d 'Show the version'
