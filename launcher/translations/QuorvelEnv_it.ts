<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it_IT">
<context>
    <name>MediaPlayer</name>
    <message>
        <source>Media Player</source>
        <translation>Lettore video</translation>
    </message>
    <message>
        <source>&lt;center&gt;No media&lt;/center&gt;</source>
        <translation>&lt;center&gt;Nessun video&lt;/center&gt;</translation>
    </message>
    <message>
        <source>The video file %1 cannot be found.</source>
        <translation>Il file video %1 non è stato trovato.</translation>
    </message>
    <message>
        <source>The video file %1 cannot be played.</source>
        <translation>Il file video %1 non può essere riprodotto.</translation>
    </message>
</context>
<context>
    <name>QDlgQuorvelAbout</name>
    <message>
        <source>Product</source>
        <translation>Prodotto</translation>
    </message>
    <message>
        <source>Meno dettagli</source>
        <translation>Meno dettagli</translation>
    </message>
    <message>
        <source>Più dettagli</source>
        <translation>Più dettagli</translation>
    </message>
</context>
<context>
    <name>QDlgQuorvelAboutClass</name>
    <message>
        <source>About...</source>
        <translation>Informazioni...</translation>
    </message>
    <message>
        <source>QUORVEL Platform</source>
        <translation>Piattaforma QUORVEL</translation>
    </message>
    <message>
        <source>Modulo</source>
        <translation>Modulo</translation>
    </message>
    <message>
        <source>Versione</source>
        <translation>Versione</translation>
    </message>
    <message>
        <source>Data</source>
        <translation>Data</translation>
    </message>
</context>
<context>
    <name>QDockQuorvelEnv</name>
    <message>
        <source>   Selezione Macchina</source>
        <translation>   Selezione Macchina</translation>
    </message>
    <message>
        <source>Links</source>
        <translation>Collegamenti</translation>
    </message>
    <message>
        <source>Quorvel Help</source>
        <translation>Guida di Quorvel</translation>
    </message>
    <message>
        <source>About Quorvel Platform</source>
        <translation>Informazioni sulla piattaforma Quorvel</translation>
    </message>
</context>
</TS>
