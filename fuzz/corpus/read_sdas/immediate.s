logo:: .byte #0x01, #255, 0b101
