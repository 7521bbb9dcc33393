#!/bin/sh
# A stand-in external editor for the editing-pass tests. The file is the last
# argument; what it does is chosen by the environment:
#   FAKE_EDITOR_LOG    file to receive the arguments, one a line
#   FAKE_EDITOR_COPY   file to receive a copy of the file as it was handed over
#   FAKE_EDITOR_STAT   file to receive the handed file's permission bits (octal)
#   FAKE_EDITOR_MODE   append    append FAKE_EDITOR_TEXT
#                      replace   put the bytes of file FAKE_EDITOR_SOURCE in its place
#                      unchanged leave it as it is (after FAKE_EDITOR_DELAY seconds)
#                      delete    remove it
#                      unreadable replace it by a link to a folder (cannot be read as a file)
#                      appendwait append FAKE_EDITOR_TEXT, then stay open until the
#                                file FAKE_EDITOR_STOP exists (at most a minute)
#                      handover  exit, like an editor handing the file to a running
#                                instance (after FAKE_EDITOR_LINGER seconds, at once
#                                when unset), and append FAKE_EDITOR_TEXT
#                                FAKE_EDITOR_DELAY seconds after the start from a child
for last in "$@"; do :; done
file=$last
[ -n "$FAKE_EDITOR_LOG" ] && printf '%s\n' "$@" > "$FAKE_EDITOR_LOG"
[ -n "$FAKE_EDITOR_COPY" ] && cp "$file" "$FAKE_EDITOR_COPY"
[ -n "$FAKE_EDITOR_STAT" ] && stat -c %a "$file" > "$FAKE_EDITOR_STAT"
case "$FAKE_EDITOR_MODE" in
append) printf '%s' "$FAKE_EDITOR_TEXT" >> "$file" ;;
appendwait)
    printf '%s' "$FAKE_EDITOR_TEXT" >> "$file"
    i=0
    while [ ! -e "$FAKE_EDITOR_STOP" ] && [ $i -lt 600 ]; do sleep 0.1; i=$((i + 1)); done
    ;;
replace) cp "$FAKE_EDITOR_SOURCE" "$file" ;;
unchanged) sleep "${FAKE_EDITOR_DELAY:-0}" ;;
delete) rm -f "$file" ;;
unreadable) rm -f "$file" && mkdir "$file.d" && ln -s "$file.d" "$file" ;;
handover)
    (sleep "${FAKE_EDITOR_DELAY:-1}"; printf '%s' "$FAKE_EDITOR_TEXT" >> "$file") </dev/null >/dev/null 2>&1 &
    sleep "${FAKE_EDITOR_LINGER:-0}"
    ;;
*) exit 2 ;;
esac
exit 0
