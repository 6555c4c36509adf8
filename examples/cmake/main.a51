; The example firmware's program. Its image is this file followed by the
; pictures' listings, in the order they were given to quillon_add_data.
        ORG     0000H
START:  SJMP    START
