# Sourced by the scripts that set up the demo server (demo.sh, and the
# picture of the Windows window): the sink's registrations of the demo,
# made through the installed library's own CreateRegItem as the setup
# program calls it. Needs $lab (morvane-lab) and MORVANE_SERVER.
domain=morvane.test
mailbox_url() { echo "http://ex1/exadmin/$domain/mbx/$1"; }

# The system mailbox of a mailbox store, from "store list --json".
system_mailbox() {
    "$lab" store list --json | awk -v store="$1" '
        /"name":/ { found = index($0, "\"" store "\"") > 0 }
        /"systemmailbox":/ && found { gsub(/.*: "|",?$/, ""); print; exit }'
}

# CreateRegItem as the setup program calls it; prints the sink's status.
register() {
    local url=$1 folder=$2 scope=$3
    local status
    status=$("$lab" invoke Morvane.MorvaneCls CreateRegItem "$url" "$folder" Morvane.reg \
        onsyncsave Morvane.MorvaneCls "$scope" ' WHERE "DAV:ishidden" = FALSE' 1)
    printf '  %-8s %-72s -> %s\n' "$scope" "$url/$folder" "$status"
    [ "$status" = 1 ]
}

# Per mailbox in two Inboxes (one of them named "Posteingang") and
# store-wide in the Archive Store.
register_demo_sinks() {
    local archive_system
    archive_system=$(system_mailbox "Archive Store")
    if [ -z "$archive_system" ]; then
        echo "demo: the Archive Store has no system mailbox" >&2
        return 1
    fi
    register "$(mailbox_url anna.berger@$domain)" inbox SHALLOW
    register "$(mailbox_url frank.mueller@$domain)" inbox SHALLOW
    register "$(mailbox_url "$archive_system")" StoreEvents/GlobalEvents ANY
}
