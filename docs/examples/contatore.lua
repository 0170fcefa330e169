-- Conta le uccisioni, anche tra una sessione e l'altra.
trigger("^Hai ucciso (.+)\\.$", function(m)
    vars.uccisioni = (vars.uccisioni or 0) + 1
    echo(m[1] .. ": uccisione numero " .. vars.uccisioni, "Verde")
end)
alias("^conta$", function() echo("Uccisioni: " .. (vars.uccisioni or 0)) end)
