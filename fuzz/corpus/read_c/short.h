// x
unsigned char x[] = { 1, 0x2, 03, 4u, };
