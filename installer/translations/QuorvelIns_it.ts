<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it_IT">
<context>
    <name>QuorvelIns</name>
    <message>
        <source>Introduction</source>
        <translation>Introduzione</translation>
    </message>
    <message>
        <source>Readme</source>
        <translation>Leggimi</translation>
    </message>
    <message>
        <source>Install</source>
        <translation>Installa</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Esci</translation>
    </message>
    <message>
        <source>Attenzione: il processo installazione è attivo !
Uscendo l&apos;intallazione potrebbe terminare in modo non corretto!
Vuoi abbandonare comunque l&apos;installazione ?</source>
        <translation>Attenzione: il processo installazione è attivo !
Uscendo l&apos;intallazione potrebbe terminare in modo non corretto!
Vuoi abbandonare comunque l&apos;installazione ?</translation>
    </message>
    <message>
        <source>Quorvel Install</source>
        <translation>Installazione Quorvel</translation>
    </message>
    <message>
        <source>QuorvelIns.ini non indica il programma di installazione (SETUPNAME).</source>
        <translation>QuorvelIns.ini non indica il programma di installazione (SETUPNAME).</translation>
    </message>
    <message>
        <source>Impossibile avviare il programma di installazione:
%1</source>
        <translation>Impossibile avviare il programma di installazione:
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
        <translation>Avvia l&apos;installazione</translation>
    </message>
    <message>
        <source>nella cartella %1</source>
        <translation>nella cartella %1</translation>
    </message>
    <message>
        <source>nelle cartelle %1 e %2</source>
        <translation>nelle cartelle %1 e %2</translation>
    </message>
    <message>
        <source>QuorvelIns.ini non si trova %1.

L&apos;installazione ha bisogno di QuorvelIns.ini, Intro.html e ReadMe.html nella stessa cartella: avviare QuorvelIns da quella cartella del supporto di installazione.</source>
        <translation>QuorvelIns.ini non si trova %1.

L&apos;installazione ha bisogno di QuorvelIns.ini, Intro.html e ReadMe.html nella stessa cartella: avviare QuorvelIns da quella cartella del supporto di installazione.</translation>
    </message>
</context>
</TS>
