# bash completion for velto
_velto() {
  local cur prev words cword
  _init_completion -n = || return

  case $prev in
    --format)
      COMPREPLY=($(compgen -W 'text waybar' -- "$cur"))
      return
      ;;
    --calendar)
      _velto_calendar
      return
      ;;
  esac
  case $cur in
    --format=*)
      COMPREPLY=($(compgen -W 'text waybar' -- "${cur#*=}"))
      return
      ;;
    --calendar=*)
      cur=${cur#*=}
      _velto_calendar
      return
      ;;
  esac

  COMPREPLY=($(compgen -W '--tray --print --watch --format --calendar --join-next --refresh
    --help --version' -- "$cur"))
}

# .ics files, folders (vdir calendars), and the desktop's calendars.
_velto_calendar() {
  if [[ $cur == eds:* ]]; then
    return
  fi
  _filedir ics
  if [[ eds: == "$cur"* ]]; then
    COMPREPLY+=(eds:)
    # "eds:" alone may go on with a calendar's name.
    ((${#COMPREPLY[@]} == 1)) && compopt -o nospace 2> /dev/null
  fi
}

complete -F _velto velto
