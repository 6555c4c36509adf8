; logo
logo: DB 1, 2 ; two
  db 0FFh,377Q,11111111B
