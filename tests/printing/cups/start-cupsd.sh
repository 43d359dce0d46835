#!/bin/sh
# Starts a private CUPS server for the spooler tests and creates its queues.
#   start-cupsd.sh DIR PORT [OWNER_PID]
# DIR: an empty directory for the server's files; it listens on DIR/cups.sock.
# PORT: a TCP port on 127.0.0.1 where the test's printer listens.
# Queues: Zelkor_Raw (raw, to socket://127.0.0.1:PORT), Zelkor_Off (stopped
# with cupsdisable), Zelkor_Reject (not accepting jobs, cupsreject).
# With OWNER_PID the server is stopped when that process ends (a test
# process that crashed leaves no server behind).
# Prints the server's pid on success; exits non-zero with a reason otherwise.
set -eu

dir=$1
port=$2
owner=${3:-}

for tool in cupsd lpadmin cupsdisable cupsreject lpstat; do
    if ! command -v "$tool" >/dev/null 2>&1 && [ ! -x "/usr/sbin/$tool" ]; then
        echo "start-cupsd: $tool not found (install cups and cups-client)" >&2
        exit 2
    fi
done
PATH="$PATH:/usr/sbin"

mkdir -p "$dir/etc/ppd" "$dir/spool/tmp" "$dir/cache" "$dir/state/certs" "$dir/log"
# The backends run as lp: the server's directories must be reachable.
chmod 755 "$dir" "$dir/etc" "$dir/cache" "$dir/state" "$dir/log"
chmod 1777 "$dir/spool/tmp"
chmod 710 "$dir/spool"
chgrp lp "$dir/spool" 2>/dev/null || true

sock="$dir/cups.sock"
cat >"$dir/etc/cupsd.conf" <<CONF
LogLevel warn
Listen $sock
Browsing No
WebInterface No
DefaultAuthType None
MaxJobs 0
PreserveJobHistory No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat >"$dir/etc/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
SystemGroup root
CONF

cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" </dev/null >"$dir/log/cupsd.out" 2>&1 &
pid=$!
echo "$pid" >"$dir/cupsd.pid"

export CUPS_SERVER="$sock"
i=0
until [ -S "$sock" ] && lpstat -r 2>/dev/null | grep -q "is running"; do
    i=$((i + 1))
    if [ $i -gt 100 ] || ! kill -0 "$pid" 2>/dev/null; then
        echo "start-cupsd: cupsd did not come up:" >&2
        cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null || true
        kill "$pid" 2>/dev/null || true
        exit 3
    fi
    sleep 0.1
done

# Raw queues: no PPD, the bytes go to the device unchanged. (CUPS 2.4 warns
# that raw queues are deprecated; they still work.)
lpadmin -p Zelkor_Raw -E -v "socket://127.0.0.1:$port" 2>>"$dir/log/lpadmin.out"
lpadmin -p Zelkor_Off -E -v "socket://127.0.0.1:$port" 2>>"$dir/log/lpadmin.out"
cupsdisable Zelkor_Off
lpadmin -p Zelkor_Reject -E -v "socket://127.0.0.1:$port" 2>>"$dir/log/lpadmin.out"
cupsreject Zelkor_Reject
if [ -n "$owner" ]; then
    (
        while kill -0 "$owner" 2>/dev/null && kill -0 "$pid" 2>/dev/null; do sleep 1; done
        kill "$pid" 2>/dev/null || true
    ) </dev/null >/dev/null 2>&1 &
fi
echo "$pid"
