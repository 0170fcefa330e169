-- Muove le barre di salute, mana e movimento con le cifre del prompt, anche
-- quando il server non manda i dati del personaggio (GMCP).
-- Per un prompt come "<Aldo HP:440/500 MP:270/300 MV:180/200>".
local modello = "HP:(\\d+)/(\\d+) MP:(\\d+)/(\\d+) MV:(\\d+)/(\\d+)"

local function barre(m)
    gauge("Salute", tonumber(m[1]), tonumber(m[2]))
    gauge("Mana", tonumber(m[3]), tonumber(m[4]))
    gauge("Movimento", tonumber(m[5]), tonumber(m[6]))
end

trigger(modello, barre, {prompt = true})
-- Un prompt seguito da altro testo sulla stessa riga arriva come riga.
trigger(modello, barre)
