; Shows a 122 x 32 picture on the display: two SED1520-type controllers on the
; 8051's external bus, controller 1 driving columns 0-60, controller 2 columns
; 61-121. picture.s is the picture's table, written by
; "quillon-cli convert -f sdas --label picture". Build with sdas8051 and sdld.
; It never reads the busy flag: it relies on timing (see docs/firmware.md).

; Where the controllers sit in external memory (see docs/firmware.md's wiring table).
LCD1_COMMAND = 0x8000
LCD1_DATA = 0x8001
LCD2_COMMAND = 0x8002
LCD2_DATA = 0x8003

CMD_RESET = 0xE2
CMD_STATIC_OFF = 0xA4
CMD_DUTY_32 = 0xA9
CMD_ADC_NORMAL = 0xA0
CMD_START_LINE = 0xC0           ; | line
CMD_DISPLAY_ON = 0xAF
CMD_PAGE = 0xB8                 ; | page
CMD_COLUMN = 0x00               ; | column
PAGES = 4
COLUMNS = 61                    ; each controller's share of the 122 columns
RESET_WAIT = 4                  ; times 256 loops of 2 machine cycles: about 2 ms at 12 MHz

        .area CSEG (ABS,CODE)
        .org 0x0000
start:  mov r2,#>picture        ; r2:r3 the next byte of the table
        mov r3,#<picture
        mov r4,#>LCD1_COMMAND   ; r4:r5 and r6:r7 the controller's registers
        mov r5,#<LCD1_COMMAND
        mov r6,#>LCD1_DATA
        mov r7,#<LCD1_DATA
        acall show              ; block 1: the table's first 244 bytes
        mov r4,#>LCD2_COMMAND
        mov r5,#<LCD2_COMMAND
        mov r6,#>LCD2_DATA
        mov r7,#<LCD2_DATA
        acall show              ; block 2: the next 244
done:   sjmp done

; Initialises one controller and writes its four pages, 61 bytes each, from
; the table (one byte a column from the left, bit 0 the page's top row).
show:   mov a,#CMD_RESET
        acall command
        mov r1,#RESET_WAIT      ; the controller takes no command while it resets
        mov r0,#0
wait:   djnz r0,wait
        djnz r1,wait
        mov a,#CMD_STATIC_OFF
        acall command
        mov a,#CMD_ADC_NORMAL
        acall command
        mov a,#CMD_DUTY_32
        acall command
        mov a,#CMD_START_LINE|0
        acall command
        mov a,#CMD_DISPLAY_ON
        acall command
        mov r1,#CMD_PAGE        ; r1 the page command, page 0 to 3
page:   mov a,r1
        acall command
        mov a,#CMD_COLUMN|0
        acall command
        mov r0,#COLUMNS
column: mov dph,r2
        mov dpl,r3
        clr a
        movc a,@a+dptr
        inc dptr
        mov r2,dph
        mov r3,dpl
        acall data
        djnz r0,column
        inc r1
        cjne r1,#CMD_PAGE+PAGES,page
        ret

; A to the controller's command register, or to its data register.
command:
        mov dph,r4
        mov dpl,r5
        movx @dptr,a
        ret
data:   mov dph,r6
        mov dpl,r7
        movx @dptr,a
        ret

        .include "picture.s"
