/* The bus cycles of lcd.h with the controllers on the 8051's external bus,
 * memory-mapped. Waits on each controller's busy flag before every write. */
#include "lcd.h"

/* Where the controllers sit in external memory (see docs/firmware.md's
 * wiring table). Reading a command register gives that controller's status. */
#define LCD1_COMMAND 0x8000
#define LCD1_DATA 0x8001
#define LCD2_COMMAND 0x8002
#define LCD2_DATA 0x8003

typedef volatile __xdata unsigned char* lcd_register;
static lcd_register const command_register[2] = {(lcd_register)LCD1_COMMAND, (lcd_register)LCD2_COMMAND};
static lcd_register const data_register[2] = {(lcd_register)LCD1_DATA, (lcd_register)LCD2_DATA};

/* Ready once neither busy nor still resetting. */
static void wait_ready(unsigned char lcd)
{
    while (*command_register[lcd] & (STATUS_BUSY | STATUS_RESET))
        ;
}

void lcd_bus_start(void)
{
}

void lcd_command(unsigned char lcd, unsigned char command)
{
    wait_ready(lcd);
    *command_register[lcd] = command;
}

void lcd_data(unsigned char lcd, unsigned char byte)
{
    wait_ready(lcd);
    *data_register[lcd] = byte;
}
