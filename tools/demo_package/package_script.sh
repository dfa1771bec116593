MZ=; # VarnikPDF转换器 demo installation package: a POSIX shell script behind the
# executable signature, followed by padding and the product application.
#
# Usage: DudIdiruvovoInstaller.exe [/S] [/D=folder]
# The folder is everything after "/D=" to the end of the command line, as the
# installer writes it unquoted. The installer's launcher passes the raw text
# in VARNIK_COMMAND_LINE; without it the arguments after "/D=" are joined by
# blanks. VARNIK_DEMO_PACKAGE_EXIT chooses a failing exit code for tests (the
# package then installs nothing); VARNIK_DEMO_PACKAGE_RECORD names a file
# that gets one line with the folder of every run.
payload_size=@PAYLOAD_SIZE@
folder=
have_folder=0
for argument do
  if [ "$have_folder" = 1 ]; then
    folder="$folder $argument"
    continue
  fi
  case "$argument" in
    /D=*) folder=${argument#/D=}; have_folder=1 ;;
  esac
done
case "${VARNIK_COMMAND_LINE-}" in
  *" /D="*) folder=${VARNIK_COMMAND_LINE#*" /D="}; have_folder=1 ;;
esac
data_home=${XDG_DATA_HOME:-$HOME/.local/share}
if [ "$have_folder" = 0 ] || [ -z "$folder" ]; then
  folder=$data_home/zorv/dudIdiruvovo
fi
if [ -n "${VARNIK_DEMO_PACKAGE_RECORD-}" ]; then
  printf '%s\n' "$folder" >> "$VARNIK_DEMO_PACKAGE_RECORD"
fi
code=${VARNIK_DEMO_PACKAGE_EXIT:-0}
if [ "$code" != 0 ]; then
  exit "$code"
fi
app=$folder/vidIvurodezirarod.exe
mkdir -p -- "$folder" || exit 3
tail -c "$payload_size" -- "$0" > "$app.part" || exit 4
chmod 755 -- "$app.part" && mv -f -- "$app.part" "$app" || exit 4
applications=$data_home/applications
mkdir -p -- "$applications" || exit 5
exec_text=$(printf '%s' "$app" | sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g')
path_text=$(printf '%s' "$folder" | sed -e 's/\\/\\\\/g')
{
  printf '[Desktop Entry]\n'
  printf 'Type=Application\n'
  printf 'Name=VarnikPDF转换器\n'
  printf 'Exec="%s"\n' "$exec_text"
  printf 'Path=%s\n' "$path_text"
  printf 'Terminal=false\n'
} > "$applications/varnikpdf-converter.desktop.part" &&
  mv -f -- "$applications/varnikpdf-converter.desktop.part" \
    "$applications/varnikpdf-converter.desktop" || exit 5
exit 0
