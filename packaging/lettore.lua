-- Wireshark and tshark dissector for the badge readers' serial traffic as
-- `lettore --capture` and the console's traffic log save it: pcapng, link
-- type 250 (RTAC serial), whose 12-byte header carries the time and a TX
-- or RX data event; the bytes after it are one frame or run of noise.
--
--   tshark -r traffic.pcapng -X lua_script:/usr/share/lettore/lettore.lua -Y 'lettore.address == 5'
--
-- Fields: lettore.kind, lettore.dialect, lettore.address, lettore.type,
-- lettore.data, lettore.check (the check character), lettore.check_good,
-- lettore.command (the command a host frame carries).

local proto = Proto("lettore", "Lettore badge reader line")

local f = {
    direction = ProtoField.string("lettore.direction", "Direction"),
    kind = ProtoField.string("lettore.kind", "Kind"),
    dialect = ProtoField.string("lettore.dialect", "Dialect"),
    address = ProtoField.uint16("lettore.address", "Address", base.DEC),
    type = ProtoField.string("lettore.type", "Type"),
    data = ProtoField.string("lettore.data", "Data"),
    check = ProtoField.uint8("lettore.check", "Check character", base.HEX),
    check_good = ProtoField.bool("lettore.check_good", "Check character good"),
    command = ProtoField.string("lettore.command", "Command"),
}
proto.fields = { f.direction, f.kind, f.dialect, f.address, f.type, f.data, f.check, f.check_good, f.command }

local event_type = Field.new("rtacser.eventtype")

local STX, ETX, EOT, ENQ, ACK, NAK = 0x02, 0x03, 0x04, 0x05, 0x06, 0x15

-- The host's commands: frame type, the data's first characters, name.
local commands = {
    { "S", "1", "SetupBase" }, { "S", "2", "SetupSeriale" }, { "S", "3", "SetOUTPUT" },
    { "S", "41", "CreaBadge" }, { "S", "42", "EliminaBadge" }, { "P", "7", "VerificaBadge" },
    { "S", "43", "CancellaWL" }, { "S", "5", "SetIndirizzo" }, { "P", "1", "GetSetupBase" },
    { "P", "2", "GetVersioneFirmware" }, { "P", "3", "GetTransazione" }, { "P", "4", "GetMatricolaPrima" },
    { "P", "5", "GetMatricolaCorrente" }, { "P", "6", "GetMatricolaNext" }, { "P", "\6", "SendACK" },
}

local models = { [0x68] = "Sibrant", [0x61] = "Parlow", [0x67] = "Quen" }

local function within(v, low, high) return v >= low and v <= high end

-- Address and type of the single-byte dialects: term + 0x40 sets, term + 0x20 polls.
local function single_byte(a)
    if a >= 0x40 then return a - 0x40, "S" end
    return a - 0x20, "P"
end

local function xor_of(b, first, last)
    local sum = 0
    for i = first, last do sum = bit.bxor(sum, b:get_index(i)) end
    return sum
end

-- Dialect, address, type, data (offset, length) and the check character's
-- offset of a frame; nil for bytes no dialect's layout fits.
local function describe(b)
    local n = b:len()
    if n >= 2 and b:get_index(0) == 0x3C then
        return { dialect = "Tolvane", data = { 1, n - 2 } }
    end
    if n >= 4 and b:get_index(0) == EOT and b:get_index(1) == EOT then
        local set = b:get_index(2) == STX
        local first = set and 3 or 2
        local body = n - first - 1
        if body < 1 then return { dialect = "Tolvane" } end
        return { dialect = "Tolvane", address = b:get_index(first) - 0x30, type = set and "S" or "poll",
                 data = { first + 1, body - 1 } }
    end
    if n < 4 or b:get_index(0) ~= STX then return nil end
    -- An ACK ends a frame it cut short, and also a whole frame whose check
    -- character happens to be ACK: that one has ETX before it and its check holds.
    local tail = 2
    if b:get_index(n - 1) == ACK and not (b:get_index(n - 2) == ETX and xor_of(b, 0, n - 2) == ACK) then
        tail = 1
    end
    if n < 3 + tail then return nil end
    local high, low = b:get_index(1), b:get_index(2)
    local d = { data = { 3, n - 3 - tail }, check = tail == 2 and n - 1 or nil }
    if high == 0x60 and low == 0x60 then
        d.dialect, d.address, d.type = "Sibrant2", 256, "S"
    elseif within(high, 0x30, 0x3F) and within(low, 0x20, 0x3F) then
        local set = within(low, 0x30, 0x3F)
        d.dialect, d.type = "Sibrant2", set and "S" or "P"
        d.address = (high - 0x30) * 16 + low - (set and 0x30 or 0x20)
    elseif models[high] then
        d.dialect = models[high]
        d.address, d.type = single_byte(low)
    elseif high == low and high >= 0x20 then
        d.dialect = "Zem"
        d.address, d.type = single_byte(low)
    else
        return nil
    end
    return d
end

function proto.dissector(tvb, pinfo, tree)
    local event = event_type()
    if not event or tvb:len() <= 12 then return end
    local rx = event.value == 2
    if event.value ~= 1 and not rx then return end
    local payload = tvb:range(12)
    local b = payload:bytes()
    local t = tree:add(proto, payload)
    t:add(f.direction, rx and "RX" or "TX")
    local n = b:len()
    if n == 1 and (b:get_index(0) == ACK or b:get_index(0) == NAK) then
        t:add(f.kind, b:get_index(0) == ACK and "ACK" or "NAK")
        pinfo.cols.protocol = "lettore"
        return
    end
    local d = describe(b)
    if not d then
        t:add(f.kind, "noise")
        return
    end
    t:add(f.kind, rx and "answer or reading" or "command")
    t:add(f.dialect, d.dialect)
    if d.address then t:add(f.address, payload:range(1, 2), d.address) end
    if d.type then t:add(f.type, d.type) end
    local data = ""
    if d.data and d.data[2] > 0 then
        data = payload:range(d.data[1], d.data[2]):string()
        t:add(f.data, payload:range(d.data[1], d.data[2]), data)
    end
    if d.check then
        t:add(f.check, payload:range(d.check, 1))
        t:add(f.check_good, xor_of(b, 0, d.check - 1) == b:get_index(d.check))
    end
    local name
    if not rx and d.type then
        for _, c in ipairs(commands) do
            if c[1] == d.type and data:sub(1, #c[2]) == c[2] then
                name = c[3]
                t:add(f.command, name)
                break
            end
        end
    end
    pinfo.cols.protocol = "lettore"
    pinfo.cols.info = string.format("%s %s %s%s%s", rx and "RX" or "TX", d.dialect,
        d.address and ("address " .. d.address .. " ") or "", d.type or "", name and (" " .. name) or "")
end

register_postdissector(proto, true)
