// Reads back the configuration files of a run the way tessal's Java reads them, and prints what it
// got, one line a value:
//
//   java ReadConfiguration.java LOGGING_PROPERTIES WEB_XML POOLMAN_XML SCRATCH
//
// logging.properties through java.util.Properties and LogManager, then a FileHandler of that
// configuration, started in SCRATCH: its pattern names a folder "C:/...", which on this machine is
// a folder "C:" below the current one, so the handler's log file lands below SCRATCH exactly where
// the pattern sends it, and nowhere else. web.xml and poolman.xml through the JDK's XML parser,
// from their bytes, so that the parser takes each file in the encoding it declares.
//
// Prints "pattern=", "logfile=" (the file the handler made, relative to SCRATCH, with "/"),
// "param-value=" (of the context parameter tessal.home) and "logFile=", UTF-8.
import java.io.InputStream;
import java.io.PrintStream;
import java.io.StringReader;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.Properties;
import java.util.logging.FileHandler;
import java.util.logging.LogManager;
import java.util.stream.Collectors;
import java.util.stream.Stream;
import javax.xml.parsers.DocumentBuilder;
import javax.xml.parsers.DocumentBuilderFactory;
import org.w3c.dom.Document;
import org.w3c.dom.Element;
import org.w3c.dom.NodeList;
import org.xml.sax.InputSource;

public class ReadConfiguration {
  public static void main(String[] args) throws Exception {
    PrintStream out = new PrintStream(System.out, true, StandardCharsets.UTF_8);
    Path logging = Paths.get(args[0]);
    Path scratch = Paths.get(args[3]).toAbsolutePath();

    Properties properties = new Properties();
    try (InputStream in = Files.newInputStream(logging)) {
      properties.load(in);
    }
    out.println("pattern=" + properties.getProperty("java.util.logging.FileHandler.pattern"));

    // The handler resolves its file against the current folder, which is SCRATCH.
    if (!scratch.equals(Paths.get("").toAbsolutePath())) {
      throw new IllegalStateException("start in " + scratch);
    }
    try (InputStream in = Files.newInputStream(logging)) {
      LogManager.getLogManager().readConfiguration(in);
    }
    FileHandler handler = new FileHandler();
    handler.close();
    try (Stream<Path> files = Files.walk(scratch)) {
      for (Path file : files.filter(Files::isRegularFile).collect(Collectors.toList())) {
        out.println("logfile=" + scratch.relativize(file).toString().replace('\\', '/'));
      }
    }

    Document web = parse(Paths.get(args[1]));
    NodeList parameters = web.getElementsByTagName("context-param");
    for (int i = 0; i < parameters.getLength(); ++i) {
      Element parameter = (Element) parameters.item(i);
      if (text(parameter, "param-name").equals("tessal.home")) {
        out.println("param-value=" + text(parameter, "param-value"));
      }
    }
    out.println("logFile=" + text(parse(Paths.get(args[2])).getDocumentElement(), "logFile"));
  }

  // Tomcat resolves the web application DTD from its own copy; here nothing is fetched.
  static Document parse(Path file) throws Exception {
    DocumentBuilder builder = DocumentBuilderFactory.newInstance().newDocumentBuilder();
    builder.setEntityResolver((publicId, systemId) -> new InputSource(new StringReader("")));
    try (InputStream in = Files.newInputStream(file)) {
      return builder.parse(in);
    }
  }

  static String text(Element parent, String name) {
    return parent.getElementsByTagName(name).item(0).getTextContent();
  }
}
