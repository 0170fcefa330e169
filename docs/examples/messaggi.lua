-- Colora chi ti parla: il nome in giallo, quello che dice in ciano.
highlight("^\\w+(?= dice ')", "Giallo")
highlight("(?<= dice ').*(?='$)", "Ciano")
-- E avvisa quando qualcuno pronuncia il tuo nome.
trigger("^(\\w+) dice '.*\\bVarendor\\b", function(m)
    echo("*** " .. m[1] .. " parla di te ***", "Rosso")
end)
