<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>MediaPlayer</name>
    <message>
        <source>Media Player</source>
        <translation>Media Player</translation>
    </message>
    <message>
        <source>&lt;center&gt;No media&lt;/center&gt;</source>
        <translation>&lt;center&gt;No media&lt;/center&gt;</translation>
    </message>
    <message>
        <source>The video file %1 cannot be found.</source>
        <translation>The video file %1 cannot be found.</translation>
    </message>
    <message>
        <source>The video file %1 cannot be played.</source>
        <translation>The video file %1 cannot be played.</translation>
    </message>
</context>
<context>
    <name>QDlgQuorvelAbout</name>
    <message>
        <source>Product</source>
        <translation>Product</translation>
    </message>
    <message>
        <source>Meno dettagli</source>
        <translation>Fewer details</translation>
    </message>
    <message>
        <source>Più dettagli</source>
        <translation>More details</translation>
    </message>
</context>
<context>
    <name>QDlgQuorvelAboutClass</name>
    <message>
        <source>About...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>QUORVEL Platform</source>
        <translation>QUORVEL Platform</translation>
    </message>
    <message>
        <source>Modulo</source>
        <translation>Module</translation>
    </message>
    <message>
        <source>Versione</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Data</source>
        <translation>Date</translation>
    </message>
</context>
<context>
    <name>QDockQuorvelEnv</name>
    <message>
        <source>   Selezione Macchina</source>
        <translation>   Machine Selection</translation>
    </message>
    <message>
        <source>Links</source>
        <translation>Links</translation>
    </message>
    <message>
        <source>Quorvel Help</source>
        <translation>Quorvel Help</translation>
    </message>
    <message>
        <source>About Quorvel Platform</source>
        <translation>About Quorvel Platform</translation>
    </message>
</context>
</TS>
