/* A 122 x 32 display of two SED1520-type controllers, controller 1 (lcd 0)
 * driving columns 0-60 and controller 2 (lcd 1) columns 61-121, for SDCC.
 * lcd.c sets them up and shows an image on them; the bus cycles are those of
 * lcd_bus.c (the controllers on the external bus) or lcd_port.c (on port
 * pins): link lcd.c with one of them. */
#ifndef LCD_H
#define LCD_H

#define STATUS_BUSY 0x80
#define STATUS_RESET 0x10

#define CMD_RESET 0xE2
#define CMD_STATIC_OFF 0xA4
#define CMD_DUTY_32 0xA9
#define CMD_ADC_NORMAL 0xA0
#define CMD_START_LINE 0xC0 /* | line */
#define CMD_DISPLAY_ON 0xAF
#define CMD_PAGE 0xB8   /* | page */
#define CMD_COLUMN 0x00 /* | column */

/* The bus cycles: a command or a data byte to controller `lcd`, each once the
 * controller is neither busy nor still resetting. */
void lcd_command(unsigned char lcd, unsigned char command);
void lcd_data(unsigned char lcd, unsigned char byte);
/* Before anything else: the pins or the bus made quiet. */
void lcd_bus_start(void);

/* Both controllers reset and set up, whatever state they were in. */
void lcd_init(void);
/* An image of 488 bytes in the order quillon-cli writes them: controller 1's
 * four pages, then controller 2's, each page one byte a column from the left,
 * bit 0 its top row. */
void lcd_show(__code const unsigned char* image);

#endif
