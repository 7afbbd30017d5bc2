<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CDemoHost</name>
    <message>
        <source>Demo host - page %1</source>
        <translation>Demo-Host - Seite %1</translation>
    </message>
</context>
<context>
    <name>CDemoWindow</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
</TS>
