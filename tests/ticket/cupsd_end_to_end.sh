#!/usr/bin/env bash
# cupsd_end_to_end.sh FILTER PPD
#
# A private scheduler with one queue of the sample PPD on a file device: a
# PostScript job printed with the job option naming a ticket in the cache
# folder comes out of pstops and the ticket filter with every fragment where it
# belongs, and Ghostscript renders it; a job whose ticket is a link prints as a
# job without a ticket. Exit 77 (skipped) when the scheduler, its clients or
# pstops are missing, or when not run as root.
set -euo pipefail
filter=$(realpath "$1")
ppd=$(realpath "$2")
for tool in /usr/sbin/cupsd lpadmin lp lpstat /usr/lib/cups/filter/pstops; do
  if ! command -v "$tool" >/dev/null; then echo "skip: $tool missing"; exit 77; fi
done
if [[ $(id -u) -ne 0 ]]; then echo "skip: the scheduler needs root"; exit 77; fi

dir=$(mktemp -d /tmp/tavro-e2e.XXXXXX)
chmod 755 "$dir"
pid=
cleanup() {
  if [[ -n $pid ]]; then kill -TERM "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$dir"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- device output"; cat "$dir/out.ps" 2>/dev/null | head -60
  echo "--- log"; grep -E '\[Job' "$dir/log/error_log" | grep -v 'envp\[' | tail -40; exit 1; }

mkdir -p "$dir"/{etc,spool,cache,state,log,bin} "$dir/root/Library/Caches/QZV"
mkdir -m 1777 "$dir/tmp"
chmod -R a+rX "$dir"
# cupsd runs filters as lp only from root-owned folders that nobody else can write.
install -m 0755 "$filter" "$dir/bin/tavro-ticket-filter"
port=$((20000 + RANDOM % 20000))
cat >"$dir/etc/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/printcap
User lp
Group lp
SystemGroup root
FileDevice Yes
SetEnv TAVRO_ROOT $dir/root
CONF
cat >"$dir/etc/cupsd.conf" <<CONF
Listen 127.0.0.1:$port
Listen $dir/cups.sock
ServerName localhost
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType None
MaxJobs 20
MaxLogSize 0
LogLevel debug
<Location />
  Order allow,deny
  Allow 127.0.0.1
  Allow localhost
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
# The sample PPD as shipped, with the filter at its test location.
sed "s|0 tavro-ticket-filter\"|0 $dir/bin/tavro-ticket-filter\"|" "$ppd" >"$dir/queue.ppd"
grep -q "cupsFilter: \"application/vnd.cups-postscript 0 $dir/bin/tavro-ticket-filter" "$dir/queue.ppd" || fail "the sample PPD names no ticket filter"

/usr/sbin/cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" &
pid=$!
export CUPS_SERVER=$dir/cups.sock CUPS_SERVERROOT=$dir/etc
for _ in $(seq 100); do lpstat -r >/dev/null 2>&1 && break; sleep 0.1; done
lpstat -r >/dev/null 2>&1 || fail "the scheduler did not start"
: >"$dir/out.ps"
chmod 666 "$dir/out.ps"
lpadmin -p tavro -E -v "file://$dir/out.ps" -P "$dir/queue.ppd" 2>/dev/null

# The option name the host uses: the print-settings key of the ticket.
option="QZV.PSData.org.tavro.print.pde.41E21128-26D6-4D35-B898-DBD8D5A9D932.PInf"
b64() { printf '%b' "$1" | base64 -w0; }
entry() { printf '<integer>%s</integer><data>%s</data>\n' "$1" "$(b64 "$2")"; }
{
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">\n<plist version="1.0">\n<array>\n'
  entry -9 '*Duplex'
  entry -9 '*QZStaple'
  entry 81 '%%BeginFeature: *QZStaple TopLeft\n/TicketStaple 1 def\n%%EndFeature\n'
  entry 70 '%%BeginFeature: *PageSize A4\n<</PageSize [595 842] /ImagingBBox null>> setpagedevice\n%%EndFeature\n'
  entry 30 '%%QZJobNote: E2E note\n'
  entry 900 'Library/Caches/QZV/e2e box'
  entry 501 '%%QZVDriver\n'
  entry 71 '%%EndTavroPreparse1: True\n/VRXPPDInsertionComplete where { pop VRXPPDInsertionComplete } if\n'
  printf '</array>\n</plist>\n'
} >"$dir/root/Library/Caches/QZV/Tavro.tempE2E"
chmod 644 "$dir/root/Library/Caches/QZV/Tavro.tempE2E"
ln -s "$dir/root/Library/Caches/QZV/Tavro.tempE2E" "$dir/root/Library/Caches/QZV/Tavro.tempLink"

cat >"$dir/doc.ps" <<'PS'
%!PS-Adobe-3.0
%%Pages: 1
%%EndComments
%%BeginProlog
/Times-Roman findfont 24 scalefont setfont
%%EndProlog
%%Page: 1 1
72 720 moveto (Ticket filter) show
showpage
%%EOF
PS

# Prints the document with the given options and waits for the job to finish.
print_job() {
  local id
  id=$(lp -d tavro "$@" "$dir/doc.ps" | sed -n 's/request id is \([^ ]*\).*/\1/p')
  for _ in $(seq 300); do
    if lpstat -W completed -o tavro | grep -q "^$id "; then return 0; fi
    if lpstat -l -p tavro | grep -q -i "stopped\|disabled"; then fail "queue stopped on $id"; fi
    sleep 0.1
  done
  fail "job $id did not complete"
}

print_job -o Duplex=DuplexNoTumble -o QZStaple=TopLeft -o MediaType=Plain -o "$option=/Library/Caches/QZV/Tavro.tempE2E"
out=$(cat "$dir/out.ps")
grep -q '^%%BeginFeature: \*MediaType' <<<"$out" || fail "pstops wrote no standard feature code"
# Header comments before %%EndComments, in ticket order.
header=$(sed -n '1,/^%%EndComments/p' <<<"$out")
grep -q '^%%QZJobNote: E2E note$' <<<"$header" || fail "job note not in the header"
grep -q '^%%QZVMailboxPath: Library/Caches/QZV/e2e box$' <<<"$header" || fail "mailbox comment not in the header"
[[ $(grep -n -e '^%%QZJobNote' -e '^%%QZVMailboxPath' -e '^%%QZVDriver' <<<"$header" | cut -d: -f2 | tr '\n' ' ') == \
  "%%QZJobNote %%QZVMailboxPath %%QZVDriver " ]] || fail "header comments out of ticket order"
# Setup code right after %%BeginSetup: the ticket's code, the end marker last.
setup=$(sed -n '/^%%BeginSetup/,/^%%EndSetup/p' <<<"$out")
[[ $(sed -n 2p <<<"$setup") == '%%BeginFeature: *QZStaple TopLeft' ]] || fail "setup does not start with the ticket's code"
[[ $(grep -n -e '^/TicketStaple' -e '^%%BeginFeature: \*PageSize A4' -e '^%%EndTavroPreparse1' <<<"$setup" | cut -d: -f1 | tr '\n' ' ') =~ ^([0-9]+)\ ([0-9]+)\ ([0-9]+)\ $ ]] ||
  fail "setup fragments missing"
(( BASH_REMATCH[1] < BASH_REMATCH[2] && BASH_REMATCH[2] < BASH_REMATCH[3] )) || fail "setup fragments out of order"
# The system's own blocks for suppressed keywords are gone, wrapper and all.
[[ $(grep -c '^%%BeginFeature: \*Duplex' <<<"$out") == 0 && $(grep -c '^%%BeginFeature: \*QZStaple' <<<"$out") == 1 ]] ||
  fail "a suppressed block is still there"
[[ $(grep -c '^\[{' <<<"$out") == $(grep -c '^} stopped cleartomark' <<<"$out") ]] || fail "unbalanced wrappers"
grep -q '(Ticket filter) show' <<<"$out" || fail "the document's own code is missing"
grep -q '\[Job [0-9]*\] Mailbox path: Library/Caches/QZV/e2e box' "$dir/log/error_log" || fail "mailbox path not in the job log"
if command -v gs >/dev/null; then
  gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=nullpage "$dir/out.ps" </dev/null >"$dir/gs.log" 2>&1 ||
    { cat "$dir/gs.log"; fail "Ghostscript could not render the output"; }
else
  echo "note: gs missing, rendering not checked"
fi
cp "$dir/out.ps" "$dir/with-ticket.ps"

# A ticket reached through a link is not read: the job prints as without one.
print_job -o Duplex=DuplexNoTumble -o QZStaple=TopLeft -o "$option=/Library/Caches/QZV/Tavro.tempLink"
cp "$dir/out.ps" "$dir/link.ps"
print_job -o Duplex=DuplexNoTumble -o QZStaple=TopLeft
grep -q '^%%BeginFeature: \*Duplex' "$dir/out.ps" && grep -q '^%%BeginFeature: \*QZStaple' "$dir/out.ps" ||
  fail "pstops wrote no duplex or staple block"
grep -q 'QZVDriver\|TicketStaple' "$dir/link.ps" && fail "the linked ticket was used"
diff <(grep -v '^%%\(Title\|For\|CreationDate\)' "$dir/link.ps") <(grep -v '^%%\(Title\|For\|CreationDate\)' "$dir/out.ps") >/dev/null ||
  fail "a job with an unusable ticket differs from a job without one"
grep -q '\[Job [0-9]*\] Job ticket .*Tavro.tempLink.* not used (the ticket file is a link)' "$dir/log/error_log" ||
  fail "no job-log line for the unusable ticket"
echo "ok: ticket fragments placed by the real scheduler's chain"
