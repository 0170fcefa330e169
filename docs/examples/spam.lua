-- Nasconde le righe di pubblicità di un canale: un lettore di schermo
-- non le legge più.
gag("^\\[Mercato\\] ")
-- E una riga precisa, comunque cominci.
gag("Il vento soffia tra gli alberi\\.$")
