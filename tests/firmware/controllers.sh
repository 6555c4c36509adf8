# shellcheck shell=bash
# A model of the display's two SED1520-type controllers for the 8051 simulator
# s51, kept in its variables and in spare external RAM: the driver's writes to
# 0x8000-0x8003 update it through breakpoint conditions that never stop the run.
# Sourced by check_firmware.sh.

# model_commands IHX STRICT: s51 commands that load IHX, run it for a million
# instructions and then 200,000 more, and print the model's state. STRICT=1
# keeps a controller busy after each write until its status is read (and
# resetting for two reads after 0xE2), and counts a write while busy as an
# error; STRICT=0 is never busy, for a driver that relies on timing.
model_commands() {
  local k cmd data ram a='sfr[0xe0]' # MOVX writes the accumulator
  printf '%s\n' "file \"$1\"" "var strict" "expression strict=$2" "var errors" "var writes" "var settled"
  for k in 1 2; do
    cmd=$((0x8000 + 2 * (k - 1))) data=$((0x8001 + 2 * (k - 1))) ram=$((0x1000 + 0x200 * (k - 1)))
    # Power-on state as unlike the wanted one as it gets; RAM neither clear nor lit.
    printf '%s\n' "fill xram $ram $((ram + 0x1ff)) 0xa5"
    for var in page=2 col=7 on=0 start=5 adc=1 static=1 duty=0 busy=0 reset=0; do
      printf '%s\n' "var c$k${var%=*}" "expression c$k$var"
    done
    local is_page="(($a&0xfc)==0xb8)" is_col="($a<0x50)" is_start="(($a&0xe0)==0xc0)" is_reset="($a==0xe2)"
    local is_on="(($a&0xfe)==0xae)" is_adc="(($a&0xfe)==0xa0)" is_static="(($a&0xfe)==0xa4)"
    local is_duty="(($a&0xfe)==0xa8)" is_rmw="($a==0xe0||$a==0xee)"
    printf 'break xram w %d if "%s"\n' "$cmd" "errors=errors+(c${k}busy||c${k}reset>0)+!($is_page||$is_col||$is_start\
||$is_reset||$is_on||$is_adc||$is_static||$is_duty||$is_rmw),writes=writes+1,\
c${k}page=c${k}page*!$is_page+($a&3)*$is_page,c${k}col=c${k}col*!$is_col+$a*$is_col,\
c${k}start=c${k}start*!$is_start+($a&0x1f)*$is_start,c${k}on=c${k}on*!$is_on+($a&1)*$is_on,\
c${k}adc=c${k}adc*!$is_adc+($a&1)*$is_adc,c${k}static=c${k}static*!$is_static+($a&1)*$is_static,\
c${k}duty=c${k}duty*!$is_duty+($a&1)*$is_duty,c${k}start=c${k}start*!$is_reset,c${k}col=c${k}col*!$is_reset,\
c${k}page=c${k}page*!$is_reset+3*$is_reset,c${k}reset=c${k}reset*!$is_reset+2*strict*$is_reset,c${k}busy=strict,0"
    # Data: into RAM at page and column, then the column counts up (not past 80).
    printf 'break xram w %d if "%s"\n' "$data" "errors=errors+(c${k}busy||c${k}reset>0)+(c${k}col>79),\
writes=writes+1,xram[$ram+(c${k}page*80+c${k}col)*(c${k}col<80)+0x1f0*(c${k}col>79)]=$a,\
c${k}col=c${k}col+(c${k}col<80),c${k}busy=strict,0"
    # Status, set just before the driver reads it: bit 7 busy, 5 display off, 4 reset.
    printf 'break xram r %d if "%s"\n' "$cmd" "xram_chip[$cmd]=(c${k}busy||c${k}reset>0)*0x80+!c${k}on*0x20\
+(c${k}reset>0)*0x10,c${k}busy=0,c${k}reset=c${k}reset-(c${k}reset>0),0"
    printf 'break xram r %d if "%s"\n' "$data" "errors=errors+1,0"
  done
  printf '%s\n' "step 1000000" "expression settled=writes" "step 200000" "info variables" \
    "dump xram 0x1000 0x113f 16" "dump xram 0x1200 0x133f 16" "quit"
}
