<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>QuorvelIns</name>
    <message>
        <source>Introduction</source>
        <translation>Introduction</translation>
    </message>
    <message>
        <source>Readme</source>
        <translation>Readme</translation>
    </message>
    <message>
        <source>Install</source>
        <translation>Install</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Attenzione: il processo installazione è attivo !
Uscendo l&apos;intallazione potrebbe terminare in modo non corretto!
Vuoi abbandonare comunque l&apos;installazione ?</source>
        <translation>Warning: the installation process is running!
If you leave now, the installation may not end correctly!
Do you want to leave the installation anyway?</translation>
    </message>
    <message>
        <source>Quorvel Install</source>
        <translation>Quorvel Install</translation>
    </message>
    <message>
        <source>QuorvelIns.ini non indica il programma di installazione (SETUPNAME).</source>
        <translation>QuorvelIns.ini does not name the setup program (SETUPNAME).</translation>
    </message>
    <message>
        <source>Impossibile avviare il programma di installazione:
%1</source>
        <translation>Cannot start the setup program:
%1</translation>
    </message>
</context>
<context>
    <name>QuorvelInsClass</name>
    <message>
        <source>QuorvelIns</source>
        <translation>QuorvelIns</translation>
    </message>
    <message>
        <source>Start Install Process</source>
        <translation>Start Install Process</translation>
    </message>
    <message>
        <source>nella cartella %1</source>
        <translation>in the folder %1</translation>
    </message>
    <message>
        <source>nelle cartelle %1 e %2</source>
        <translation>in the folders %1 and %2</translation>
    </message>
    <message>
        <source>QuorvelIns.ini non si trova %1.

L&apos;installazione ha bisogno di QuorvelIns.ini, Intro.html e ReadMe.html nella stessa cartella: avviare QuorvelIns da quella cartella del supporto di installazione.</source>
        <translation>QuorvelIns.ini cannot be found %1.

The installation needs QuorvelIns.ini, Intro.html and ReadMe.html in one folder: start QuorvelIns from that folder of the installation medium.</translation>
    </message>
</context>
</TS>
