#!/usr/bin/env bash
# The program's layout follows the list of the functions a refresh runs: the listed functions the
# program has lie in the list's order, and the list has not fallen behind the code (nine in ten
# of its names are still the program's). Usage: link_order_test.sh PROGRAM ORDER_FILE
set -euo pipefail
program=$1
order=$2

# Each function symbol with its address, then the list's names in turn: the addresses of the
# names found must rise.
nm --defined-only "$program" | awk '
    FNR == NR { if ($2 ~ /^[tTwW]$/) address[$3] = "x" $1; next }
    NF == 0 { next }
    { listed++ }
    $1 in address {
        found++
        if (address[$1] < last) { printf "FAIL: %s lies before the function listed above it\n", $1; bad = 1 }
        last = address[$1]
    }
    END {
        if (found * 10 < listed * 9) {
            printf "FAIL: only %d of the %d listed functions are in the program: run tools/order_refresh_functions.py\n", found, listed
            bad = 1
        }
        if (!bad) printf "%d of %d listed functions, in order\n", found, listed
        exit bad
    }' - "$order"
