-- Si cura quando il prompt mostra meno del 30% dei punti ferita.
-- Per un prompt come "PF:37/150 MV:80/80>".
trigger("PF:(\\d+)/(\\d+)", function(m)
    local pf, massimo = tonumber(m[1]), tonumber(m[2])
    if massimo > 0 and pf * 100 < massimo * 30 then
        send("quaff pozione")
    end
end, {prompt = true})
