// The browser side of the web page's platform layer (browser.h): the canvas,
// its WebGL 2 context and the framebuffer the demo draws into, input events
// and the page's visibility, the clock, and the waits that hand the demo's
// loop back to the browser.
//
// The page's own script calls Module.plumo.start(frames, fps, stillSeconds)
// and, from its control, Module.plumo.play(); tests read Module.plumo.state
// and Module.plumo.readFrame().

mergeInto(LibraryManager.library, {
  $Plumo__postset: 'Module["plumo"] = Plumo;',
  $Plumo: {
    gl: null,
    framebuffer: null,
    renderbuffers: [],
    width: 0,
    height: 0,
    programs: [],
    vertexBuffer: null,
    vertexArray: null,
    atlas: null,
    events: [],
    resume: null,  // brings the program back from its wait in progress, once
    waitsForInput: false,
    channel: null,
    // `clock`: the performance counter the program read, in seconds, at its
    // last frame; `waits`: how often it has waited, about once a pass.
    state: {running: false, status: null, frames: 0, held: false, clock: 0, waits: 0,
            presentedAt: []},

    start: function(frames, fps, stillSeconds) {
      Plumo.listen();
      Plumo.state.running = true;
      // A page opened in a background tab starts hidden.
      if (document.hidden) Plumo.events.push({kind: 3});
      ccall('plumo_run', 'number', ['number', 'number', 'number'], [frames, fps, stillSeconds],
            {async: true})
          .then(function(status) {
            Plumo.state.running = false;
            Plumo.state.status = status;
          });
    },

    // The reader plays the still picture.
    play: function() {
      Plumo.events.push({kind: 5});
      Plumo.wake(false);
    },

    // The page hidden or shown, or the still played, ends any wait; input
    // ends a wait for input.
    wake: function(input) {
      if (Plumo.resume && (!input || Plumo.waitsForInput)) Plumo.resume();
    },

    // Keys go to the demo while it runs; once it has ended, a key or a click
    // starts it again.
    listen: function() {
      function key(kind) {
        return function(event) {
          if (!Plumo.state.running) {
            if (kind === 1) location.reload();
            return;
          }
          // The browser keeps its own shortcuts, and the page's buttons the
          // keys that press them.
          if (event.ctrlKey || event.metaKey || /^F(5|11|12)$/.test(event.code)) return;
          if (event.target instanceof HTMLButtonElement &&
              /^(Enter|NumpadEnter|Space)$/.test(event.code))
            return;
          // Tab still moves the focus, so that it can leave the canvas.
          if (event.code !== 'Tab') event.preventDefault();
          Plumo.events.push({kind: kind, code: event.code, repeat: event.repeat, alt: event.altKey});
          Plumo.wake(true);
        };
      }
      window.addEventListener('keydown', key(1));
      window.addEventListener('keyup', key(2));
      window.addEventListener('mousedown', function() {
        if (!Plumo.state.running) location.reload();
        else Plumo.wake(true);
      });
      // A hidden page gets no animation frames: the program hears of it at
      // once, and sleeps until the page shows again.
      document.addEventListener('visibilitychange', function() {
        if (!Plumo.state.running) return;
        Plumo.events.push({kind: document.hidden ? 3 : 4});
        Plumo.wake(false);
      });
    },

    compile: function(type, source) {
      var gl = Plumo.gl;
      var shader = gl.createShader(type);
      gl.shaderSource(shader, source);
      gl.compileShader(shader);
      if (!gl.getShaderParameter(shader, gl.COMPILE_STATUS))
        throw new Error('plumo: shader: ' + gl.getShaderInfoLog(shader));
      return shader;
    },

    // Two programs over one vertex layout: plain colour for geometry, and for
    // glyph pixels the atlas's ink (a shader that may discard fragments
    // keeps the rasteriser from testing depth early, so the grid has none).
    makeProgram: function(glyphs) {
      var gl = Plumo.gl;
      var program = gl.createProgram();
      gl.attachShader(program, Plumo.compile(gl.VERTEX_SHADER,
          '#version 300 es\n' +
          'in vec4 position; in vec4 color; in vec2 texel;\n' +
          'out vec4 vColor; out vec2 vTexel;\n' +
          'void main() { gl_Position = position; vColor = color; vTexel = texel; gl_PointSize = 1.0; }'));
      gl.attachShader(program, Plumo.compile(gl.FRAGMENT_SHADER,
          '#version 300 es\n' +
          'precision highp float;\n' +
          'uniform sampler2D atlas;\n' +
          'in vec4 vColor; in vec2 vTexel; out vec4 fragColor;\n' +
          'void main() {\n' +
          (glyphs ? '  if (texelFetch(atlas, ivec2(floor(vTexel)), 0).r < 0.5) discard;\n' : '') +
          '  fragColor = vColor;\n' +
          '}'));
      gl.bindAttribLocation(program, 0, 'position');
      gl.bindAttribLocation(program, 1, 'color');
      gl.bindAttribLocation(program, 2, 'texel');
      gl.linkProgram(program);
      if (!gl.getProgramParameter(program, gl.LINK_STATUS))
        throw new Error('plumo: program: ' + gl.getProgramInfoLog(program));
      gl.useProgram(program);
      gl.uniform1i(gl.getUniformLocation(program, 'atlas'), 0);
      return program;
    },

    // Ten floats a vertex: position 4, colour 4, atlas texel 2.
    makeVertexArray: function() {
      var gl = Plumo.gl;
      Plumo.vertexArray = gl.createVertexArray();
      gl.bindVertexArray(Plumo.vertexArray);
      Plumo.vertexBuffer = gl.createBuffer();
      gl.bindBuffer(gl.ARRAY_BUFFER, Plumo.vertexBuffer);
      var sizes = [4, 4, 2], offset = 0;
      for (var i = 0; i < 3; ++i) {
        gl.enableVertexAttribArray(i);
        gl.vertexAttribPointer(i, sizes[i], gl.FLOAT, false, 40, offset);
        offset += sizes[i] * 4;
      }
    },

    makeAtlas: function() {
      var gl = Plumo.gl;
      Plumo.atlas = gl.createTexture();
      gl.bindTexture(gl.TEXTURE_2D, Plumo.atlas);
      gl.texStorage2D(gl.TEXTURE_2D, 1, gl.R8, 1024, 1024);  // renderer.h's kAtlasSize
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
    },

    // The demo's framebuffer: 5/6/5 colour and 16-bit depth, of its client size.
    makeFramebuffer: function(width, height) {
      var gl = Plumo.gl;
      Plumo.framebuffer = gl.createFramebuffer();
      gl.bindFramebuffer(gl.FRAMEBUFFER, Plumo.framebuffer);
      var attachments = [[gl.RGB565, gl.COLOR_ATTACHMENT0], [gl.DEPTH_COMPONENT16, gl.DEPTH_ATTACHMENT]];
      Plumo.renderbuffers = attachments.map(function(pair) {
        var renderbuffer = gl.createRenderbuffer();
        gl.bindRenderbuffer(gl.RENDERBUFFER, renderbuffer);
        gl.renderbufferStorage(gl.RENDERBUFFER, pair[0], width, height);
        gl.framebufferRenderbuffer(gl.FRAMEBUFFER, pair[1], gl.RENDERBUFFER, renderbuffer);
        return renderbuffer;
      });
      Plumo.width = width;
      Plumo.height = height;
      return gl.checkFramebufferStatus(gl.FRAMEBUFFER) === gl.FRAMEBUFFER_COMPLETE;
    },

    // The last frame drawn, as RGBA bytes bottom row first, for tests.
    readFrame: function() {
      var gl = Plumo.gl;
      if (!gl || !Plumo.framebuffer) return null;
      var pixels = new Uint8Array(Plumo.width * Plumo.height * 4);
      gl.bindFramebuffer(gl.FRAMEBUFFER, Plumo.framebuffer);
      gl.readPixels(0, 0, Plumo.width, Plumo.height, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
      var text = '';
      for (var i = 0; i < pixels.length; i += 0x8000)
        text += String.fromCharCode.apply(null, pixels.subarray(i, i + 0x8000));
      return {width: Plumo.width, height: Plumo.height, rgba: btoa(text)};
    },
  },

  plumo_canvas_size__deps: ['$Plumo'],
  plumo_canvas_size: function(widthOut, heightOut) {
    var canvas = Module['canvas'];
    var ratio = window.devicePixelRatio || 1;
    var width = Math.max(1, Math.round(canvas.clientWidth * ratio));
    var height = Math.max(1, Math.round(canvas.clientHeight * ratio));
    if (canvas.width !== width) canvas.width = width;
    if (canvas.height !== height) canvas.height = height;
    HEAP32[widthOut >> 2] = width;
    HEAP32[heightOut >> 2] = height;
  },

  plumo_show_cursor: function(show) {
    Module['canvas'].style.cursor = show ? '' : 'none';
  },

  plumo_gl_open__deps: ['$Plumo'],
  plumo_gl_open: function(width, height) {
    var gl = Module['canvas'].getContext('webgl2', {
      alpha: false, depth: false, stencil: false, antialias: false, premultipliedAlpha: false,
      preserveDrawingBuffer: false, powerPreference: 'high-performance'});
    if (!gl) return 0;
    Plumo.gl = gl;
    try {
      Plumo.programs = [Plumo.makeProgram(false), Plumo.makeProgram(true)];
      Plumo.makeVertexArray();
      Plumo.makeAtlas();
      if (!Plumo.makeFramebuffer(width, height)) return 0;
    } catch (error) {
      err(error.message);
      return 0;
    }
    gl.pixelStorei(gl.UNPACK_ALIGNMENT, 1);
    return 1;
  },

  plumo_gl_close__deps: ['$Plumo'],
  plumo_gl_close: function() {
    var gl = Plumo.gl;
    if (!gl) return;
    // The canvas goes black with the context, as a closed window's area does.
    gl.bindFramebuffer(gl.FRAMEBUFFER, null);
    gl.clearColor(0, 0, 0, 1);
    gl.clear(gl.COLOR_BUFFER_BIT);
    Plumo.renderbuffers.forEach(function(renderbuffer) { gl.deleteRenderbuffer(renderbuffer); });
    gl.deleteFramebuffer(Plumo.framebuffer);
    gl.deleteTexture(Plumo.atlas);
    gl.deleteBuffer(Plumo.vertexBuffer);
    gl.deleteVertexArray(Plumo.vertexArray);
    Plumo.programs.forEach(function(program) { gl.deleteProgram(program); });
    Plumo.framebuffer = null;
    Plumo.renderbuffers = [];
    Plumo.gl = null;
  },

  plumo_gl_clear__deps: ['$Plumo'],
  plumo_gl_clear: function(mask, r, g, b, a, depth) {
    var gl = Plumo.gl;
    gl.bindFramebuffer(gl.FRAMEBUFFER, Plumo.framebuffer);
    gl.clearColor(r, g, b, a);
    gl.clearDepth(depth);
    gl.clear(mask & (gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT));
  },

  plumo_gl_draw__deps: ['$Plumo'],
  plumo_gl_draw: function(shape, state, vertices, count) {
    var gl = Plumo.gl;
    var s = HEAP32.subarray(state >> 2, (state >> 2) + 10);
    gl.bindFramebuffer(gl.FRAMEBUFFER, Plumo.framebuffer);
    if (s[0]) gl.enable(gl.DEPTH_TEST); else gl.disable(gl.DEPTH_TEST);
    gl.depthFunc(s[1]);
    if (s[2]) gl.enable(gl.CULL_FACE); else gl.disable(gl.CULL_FACE);
    gl.cullFace(s[3]);
    gl.frontFace(s[4]);
    if (s[5]) gl.enable(gl.DITHER); else gl.disable(gl.DITHER);
    gl.viewport(s[6], s[7], s[8], s[9]);
    // Glyph pixels carry their atlas texel; every other vertex has u < 0.
    gl.useProgram(Plumo.programs[HEAPF32[(vertices >> 2) + 8] >= 0 ? 1 : 0]);
    gl.bindBuffer(gl.ARRAY_BUFFER, Plumo.vertexBuffer);
    gl.bufferData(gl.ARRAY_BUFFER, HEAPF32.subarray(vertices >> 2, (vertices >> 2) + count * 10),
                  gl.STREAM_DRAW);
    gl.drawArrays([gl.TRIANGLES, gl.LINES, gl.POINTS][shape], 0, count);
  },

  plumo_gl_put_glyphs__deps: ['$Plumo'],
  plumo_gl_put_glyphs: function(x, y, width, height, texels) {
    var gl = Plumo.gl;
    gl.texSubImage2D(gl.TEXTURE_2D, 0, x, y, width, height, gl.RED, gl.UNSIGNED_BYTE,
                     HEAPU8.subarray(texels, texels + width * height));
  },

  plumo_gl_present__deps: ['$Plumo'],
  plumo_gl_present: function(x, y, width, height, linear) {
    var gl = Plumo.gl;
    var canvas = Module['canvas'];
    gl.bindFramebuffer(gl.DRAW_FRAMEBUFFER, null);
    gl.disable(gl.DITHER);
    gl.viewport(0, 0, canvas.width, canvas.height);
    gl.clearColor(0, 0, 0, 1);
    gl.clear(gl.COLOR_BUFFER_BIT);
    gl.bindFramebuffer(gl.READ_FRAMEBUFFER, Plumo.framebuffer);
    gl.blitFramebuffer(0, 0, Plumo.width, Plumo.height, x, y, x + width, y + height,
                       gl.COLOR_BUFFER_BIT, linear ? gl.LINEAR : gl.NEAREST);
    gl.bindFramebuffer(gl.FRAMEBUFFER, Plumo.framebuffer);
  },

  plumo_next_event__deps: ['$Plumo'],
  plumo_next_event: function(code, size, repeat, alt) {
    var event = Plumo.events.shift();
    if (!event) return 0;
    stringToUTF8(event.code || '', code, size);
    HEAP32[repeat >> 2] = event.repeat ? 1 : 0;
    HEAP32[alt >> 2] = event.alt ? 1 : 0;
    return event.kind;
  },

  plumo_page_hidden: function() {
    return document.hidden ? 1 : 0;
  },

  plumo_frame_presented__deps: ['$Plumo'],
  plumo_frame_presented: function(frames, held, fixedStep, clockSeconds) {
    var state = Plumo.state;
    // A held run's last frame is finished before it is timed.
    if (held && !state.held) Plumo.gl.readPixels(0, 0, 1, 1, Plumo.gl.RGBA, Plumo.gl.UNSIGNED_BYTE,
                                                 new Uint8Array(4));
    // Each frame's time, for the benchmark: fixed-step runs end, so they only.
    if (fixedStep) state.presentedAt.push(performance.now());
    state.frames = frames;
    state.held = !!held;
    state.clock = clockSeconds;
  },

  plumo_now_ms: function() {
    return performance.now();
  },

  plumo_wait__deps: ['$Plumo'],
  plumo_wait: function(mode, milliseconds) {
    Asyncify.handleSleep(function(wakeUp) {
      // (Asyncify calls plumo_wait again as the program resumes, but not this.)
      Plumo.state.waits++;
      // Whatever ends the wait first ends it; the others find it over.
      var waiting = true;
      var resume = function() {
        if (!waiting) return;
        waiting = false;
        Plumo.resume = null;
        wakeUp();
      };
      Plumo.resume = resume;
      Plumo.waitsForInput = mode === 2;
      if (mode === 2) {
        // Until input: a key or a click.
        if (Plumo.events.length) resume();
      } else if (mode === 1) {
        // As soon as the browser has had its turn: a message to ourselves
        // comes back sooner than a zero-delay timeout.
        if (!Plumo.channel) Plumo.channel = new MessageChannel();
        Plumo.channel.port1.onmessage = resume;
        Plumo.channel.port2.postMessage(0);
      } else {
        var start = performance.now();
        requestAnimationFrame(function() {
          var left = milliseconds - (performance.now() - start);
          if (left > 0) setTimeout(resume, left); else resume();
        });
      }
    });
  },
});
