-- Si cura quando il prompt mostra meno del 30% dei punti ferita.
-- Per un prompt come quello del mondo di prova, "<Ale HP:140/500 MP:300/300
-- MV:200/200>", o come "PF:37/150 MV:80/80>".
trigger("(?:HP|PF):(\\d+)/(\\d+)", function(m)
    local pf, massimo = tonumber(m[1]), tonumber(m[2])
    if massimo > 0 and pf * 100 < massimo * 30 then
        -- Nel mondo di prova ci si riposa; altrove, per esempio, "quaff pozione".
        send("riposa")
    end
end, {prompt = true})
