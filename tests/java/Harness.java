// Paints a generated applet class headless into a PNG: the applet is made
// without its constructor (Applet() needs a display), its paint method draws
// into a BufferedImage of the given size.
// Usage: java Harness <class directory> <class name> <width> <height> <out.png>
import java.awt.Graphics;
import java.awt.image.BufferedImage;
import java.io.File;
import java.lang.reflect.Field;
import java.lang.reflect.Method;
import java.net.URL;
import java.net.URLClassLoader;
import javax.imageio.ImageIO;

public class Harness {
    public static void main(String[] args) throws Exception {
        URLClassLoader loader = new URLClassLoader(new URL[] {new File(args[0]).toURI().toURL()});
        Class<?> applet = loader.loadClass(args[1]);
        Field field = Class.forName("sun.misc.Unsafe").getDeclaredField("theUnsafe");
        field.setAccessible(true);
        Object unsafe = field.get(null);
        Object instance = unsafe.getClass().getMethod("allocateInstance", Class.class).invoke(unsafe, applet);
        BufferedImage image = new BufferedImage(Integer.parseInt(args[2]), Integer.parseInt(args[3]),
                                                BufferedImage.TYPE_INT_RGB);
        Graphics g = image.createGraphics();
        Method paint = applet.getMethod("paint", Graphics.class);
        paint.setAccessible(true);
        paint.invoke(instance, g);
        g.dispose();
        ImageIO.write(image, "png", new File(args[4]));
    }
}
