#!/usr/bin/env bash
# The main job's demonstration: creates the embedded default server in the
# build tree, installs the deliverables on it, registers the Morvane sink on a
# few mailboxes through its own methods, delivers a handful of rated messages
# in both display formats, prints what a mail client now shows and what a
# failing delivery leaves in the event log. Nothing in BIN_DIR is changed.
#
# Usage: scripts/demo.sh BIN_DIR   (the folder holding morvane-lab and Morvane.so)
# MORVANE_DIRECTORY=samba runs it on a server whose directory is Samba's
# (docs/samba-directory.md), started for the demo and stopped after it.
set -euo pipefail

if [ $# -ne 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 BIN_DIR" >&2
    exit 2
fi
bin=$(cd "$1" && pwd)
lab="$bin/morvane-lab"
library="$bin/Morvane.so"
for file in "$lab" "$library"; do
    if [ ! -f "$file" ]; then
        echo "demo: $file is missing; build first" >&2
        exit 1
    fi
done

# The server lives beside the binaries, in the build tree; the deliverables
# are installed into a folder of the server's, side by side as an
# installation puts them, and run from there.
export MORVANE_SERVER="$(dirname "$bin")/demo-server"
programs="$MORVANE_SERVER/Morvane"
source "$(dirname "$0")/demo-registrations.sh"

heading() { printf '\n== %s ==\n' "$1"; }

# The settings file the sink reads at every delivery, next to the library.
display_format() {
    printf '[Morvane Settings]\r\nSCLDisplayFormat=%s\r\n' "$1" >"$programs/Morvane.ini"
    echo "Display format: $1"
}

deliver() {
    "$lab" deliver "$@" >/dev/null
}

heading "The emulated mail server"
"$lab" init --force --directory "${MORVANE_DIRECTORY:-sqlite}"
if [ "${MORVANE_DIRECTORY:-sqlite}" = samba ]; then
    trap '"$lab" directory stop >/dev/null' EXIT
    "$lab" directory start
fi
"$lab" store list

heading "Installing Morvane on the server"
mkdir -p "$programs"
installed=("$library")
[ -x "$bin/MorvaneSetup" ] && installed+=("$bin/MorvaneSetup")
cp "${installed[@]}" "$programs/"
echo "Installed into $programs: $(cd "$programs" && ls | tr '\n' ' ')"
"$lab" regsvr "$programs/Morvane.so"

heading "Registering the sink through its own methods"
register_demo_sinks
echo
"$lab" registrations

heading "Delivering mail rated by the content filter"
display_format 'SCL=<SCL value>'
deliver anna.berger@$domain --subject "Quarterly figures" --scl 1 --keyword Finance
deliver anna.berger@$domain --subject "You have WON a prize" --scl 9
deliver anna.berger@$domain --subject "Internal memo (not rated)" --keyword Internal
deliver frank.mueller@$domain --subject "Angebot: Uhren zum halben Preis" --scl 7 \
    --keyword Privat --comments "von Frank markiert"
deliver irene.novak@$domain --subject "Archive retention policy" --scl 0
deliver ben.okafor@$domain --subject "Lunch on Friday?" --scl 2 --keyword Team
display_format '<SCL value>'
deliver anna.berger@$domain --subject "Weekly newsletter" --scl 4 --keyword News
deliver maria.rossi@$domain --subject "Invoice overdue!!!" --scl 6 --keywords-text "Accounts"

show() {
    local address=$1 note=$2
    heading "$address ($note)"
    "$lab" show "$address"
}

echo
echo "What a mail client now shows (the SCL column is the hidden rating; the sink"
echo "copies it into Keywords and Comments, which the client displays):"
show anna.berger@$domain "Inbox registered per mailbox"
show frank.mueller@$domain "Inbox \"Posteingang\" registered per mailbox"
show irene.novak@$domain "Archive Store, registered store-wide"
show maria.rossi@$domain "Archive Store, registered store-wide"
show ben.okafor@$domain "not registered: nothing is stamped"

# A failing keyword write: the store saves the messages unstamped, and the
# sink's one process leaves one entry for all of them in the event log.
heading "When the sink fails: the event log"
"$lab" fault add field.write --url "*/anna.berger@$domain/*" --hresult 0x80070005 \
    --description "Access is denied." >/dev/null
"$lab" deliver anna.berger@$domain --subject "Meeting notes" --scl 3 --count 100
"$lab" fault clear >/dev/null
"$lab" eventlog
echo "One entry for the 100 failures; another could follow an hour later at the earliest."

# --- The setup window ---------------------------------------------------
# MorvaneSetup opens its window on the same server and saves a picture of it
# once the lists are filled (offscreen when there is no display); then it
# closes as Exit does.
if [ -x "$programs/MorvaneSetup" ]; then
    heading "The setup window"
    window_png="$(dirname "$bin")/setup-window.png"
    if (cd "$programs" && ./MorvaneSetup --screenshot "$window_png" 2>/dev/null); then
        echo "MorvaneSetup's window on this server: $window_png"
    else
        echo "MorvaneSetup could not show its window here."
    fi
fi
