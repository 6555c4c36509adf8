/* Plays an animation on the display, over and over: each frame shown for its
 * time, counted by timer 0, whatever drawing it takes. animation.h is its
 * table, written by "quillon-cli convert --frames all -f c --label animation":
 * the frame count, each frame's time in milliseconds (numbers of two bytes,
 * low byte first) and the frames' 488 bytes each. Build it with lcd.c and
 * lcd_bus.c or lcd_port.c, as "make animation" does. */
#include <8052.h>

#include "animation.h"
#include "lcd.h"

/* The 8051's clock in Hz (the Makefile's CLOCK_HZ): timer 0 counts machine
 * cycles of 12 clock periods and interrupts every quarter of a millisecond. */
#ifndef CLOCK_HZ
#define CLOCK_HZ 12000000
#endif
#define QUARTER_MS_CYCLES (CLOCK_HZ / 12 / 4000)
#if QUARTER_MS_CYCLES > 256 || QUARTER_MS_CYCLES < 64
#error "timer 0's 8-bit reload times a quarter millisecond at clocks of 3.072 to 12.288 MHz"
#endif

static volatile unsigned char quarters; /* of the millisecond running */
static volatile unsigned int elapsed;   /* milliseconds since the frame shown was due */

void timer0(void) __interrupt(TF0_VECTOR)
{
    if (++quarters == 4) {
        quarters = 0;
        elapsed++;
    }
}

/* Waits until the frame shown has had its `ms`; the next is due from then. */
static void wait_ms(unsigned int ms)
{
    unsigned int now;
    do {
        EA = 0;
        now = elapsed;
        EA = 1;
    } while (now < ms);
    EA = 0;
    elapsed -= ms;
    EA = 1;
}

void main(void)
{
    const unsigned int count = animation.count[0] | animation.count[1] << 8;
    unsigned int k;

    lcd_init();
    TMOD = (TMOD & 0xF0) | 0x02; /* timer 0: 8 bits, reloaded from TH0 */
    TH0 = TL0 = 256 - QUARTER_MS_CYCLES;
    ET0 = 1;
    EA = 1;
    TR0 = 1;
    for (;;) {
        for (k = 0; k < count; k++) {
            lcd_show((__code const unsigned char*)animation.frames[k]);
            wait_ms(animation.delays[k][0] | animation.delays[k][1] << 8);
        }
    }
}
