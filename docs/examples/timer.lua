-- Ogni 30 secondi guarda intorno; "basta" lo ferma, "ancora" lo riaccende.
local giro = timer(30, "guarda", true)
alias("^basta$", function() enable(giro, false); echo("Giro fermato.") end)
alias("^ancora$", function() enable(giro, true); echo("Giro ripreso.") end)
