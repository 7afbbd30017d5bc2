<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CDemoHost</name>
    <message>
        <source>Demo host - page %1</source>
        <translation>Demo-Host - Seite %1</translation>
    </message>
    <message>
        <source>Backing up</source>
        <translation>Sicherung läuft</translation>
    </message>
    <message>
        <source>Restoring</source>
        <translation>Wiederherstellung läuft</translation>
    </message>
    <message>
        <source>Restore into</source>
        <translation>Wiederherstellen nach</translation>
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
<context>
    <name>CTransferDialog</name>
    <message>
        <source>Files:</source>
        <translation>Dateien:</translation>
    </message>
    <message>
        <source>Data:</source>
        <translation>Daten:</translation>
    </message>
    <message>
        <source>Rate:</source>
        <translation>Rate:</translation>
    </message>
    <message>
        <source>Time left:</source>
        <translation>Restzeit:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>These could not be moved:</source>
        <translation>Diese konnten nicht übertragen werden:</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>Wird abgebrochen...</translation>
    </message>
</context>
</TS>
