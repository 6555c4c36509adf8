# Reads the output of s51 running controllers.sh's commands and prints the
# 122 x 32 dots the two controllers show ('#' lit, '.' clear), or says on
# stderr why the model caught the driver out and exits with 1.
function hex(s,    n, i) {
    n = 0; s = tolower(s); sub(/^0x/, "", s)
    for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
    return n
}
$2 ~ /^variables\[/ { split($4, v, ","); var[$1] = v[3] }
/^0x1[0-3][0-9a-f][0-9a-f] / {
    base = hex($1)
    for (i = 0; i < 16; i++) ram[base + i] = hex($(i + 2))
}
END {
    if (var["errors"] != 0) problem = problem " " var["errors"] " errors (a write while busy, an unknown command, a column past 79 or a data read);"
    if (var["writes"] == 0) problem = problem " nothing written;"
    if (var["writes"] != var["settled"]) problem = problem " still writing after a million instructions;"
    for (k = 1; k <= 2; k++)
        if (var["c" k "on"] != 1) problem = problem " controller " k " display off;"
    if (problem != "") { print "model:" problem > "/dev/stderr"; exit 1 }
    for (row = 0; row < 32; row++) {
        line = ""
        for (x = 0; x < 122; x++) {
            k = x < 61 ? 1 : 2; p = "c" k; segment = x % 61
            column = var[p "adc"] ? 79 - segment : segment
            l = (row + var[p "start"]) % 32
            byte = ram[4096 + 512 * (k - 1) + int(l / 8) * 80 + column]
            lit = int(byte / 2 ^ (l % 8)) % 2
            if (var[p "static"]) lit = 1
            if (!var[p "duty"] && row >= 16) lit = 0
            line = line (lit ? "#" : ".")
        }
        print line
    }
}
