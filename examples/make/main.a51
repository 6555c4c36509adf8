; The example firmware's program. Its image is this file followed by the
; pictures' listings, in the order of PICTURES in the Makefile.
        ORG     0000H
START:  SJMP    START
