#!/usr/bin/env python3
"""make_config.py SIZE EVERY OUT: a configuration file of about SIZE bytes, CR LF lines of the
lengths found in poolman.xml, web.xml and logging.properties, where one line in EVERY names the
old Tomcat folder. Only whole lines are written, so the file ends with CR LF."""

import sys

MATCHES = [
    "    <logFile>C:/TOMCAT/webapps/tessal/logs/poolman.log</logFile>",
    "java.util.logging.FileHandler.pattern = C:/TOMCAT/webapps/tessal/logs/system.log",
]
OTHERS = [
    '<?xml version="1.0" encoding="UTF-8"?>',
    "",
    "    <datasource>",
    "        <dbname>tessal</dbname>",
    "        <jndiName>jndi-tessal</jndiName>",
    "        <driver>sun.jdbc.odbc.JdbcOdbcDriver</driver>",
    "        <url>jdbc:odbc:TESSAL</url>",
    "        <minimumSize>0</minimumSize> <maximumSize>10</maximumSize>",
    "        <connectionTimeout>600</connectionTimeout> <userTimeout>12</userTimeout>",
    # near misses: other case, other slash, the new folder
    "    <param-value>C:\\TOMCAT\\webapps\\tessal\\</param-value>",
    "# C:/Tomcat/webapps/tessal/logs is kept for the old reports",
    "java.util.logging.ConsoleHandler.formatter = java.util.logging.SimpleFormatter",
    "    <servlet-class>tessalLib.ReportServlet</servlet-class>",
    "    <!-- \u898b\u7a4d\u66f8\u306e\u51fa\u529b\u5148\u306f\u5909\u3048\u306a\u3044 -->",
    "    </datasource>",
]


def block(every):
    # Enough lines that every filler and both matches turn up; the match sits early in its
    # stretch, so that even a file shorter than one stretch holds one.
    count = every * 2 * len(OTHERS) if every < 1000 else every
    lines = []
    filler = 0
    for i in range(count):
        if i % every == min(every - 1, 500):
            lines.append(MATCHES[(i // every) % len(MATCHES)])
        else:
            lines.append(OTHERS[filler % len(OTHERS)])
            filler += 1
    return "".join(line + "\r\n" for line in lines).encode("cp932")


def main():
    size, every, out = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    data = block(every)
    with open(out, "wb") as f:
        left = size
        while left >= len(data):
            f.write(data)
            left -= len(data)
        end = data.rfind(b"\r\n", 0, left + 1)
        if end >= 0:
            f.write(data[: end + 2])


if __name__ == "__main__":
    main()
