// KORVAL's web view: one WebSocket to the station. The station pushes everything (pictures of
// the maps, messages, counts, clock, aircraft); the page only says how large its maps are and
// where they were clicked. Nothing is fetched from anywhere else.
'use strict';

(() => {
  const LIVE_KEPT = 500;
  const RESIZE_SETTLE_MS = 200;
  const RETRY_FIRST_MS = 1000, RETRY_LAST_MS = 30000;

  const $ = (selector, root = document) => root.querySelector(selector);
  const maps = [1, 2, 3].map(n => {
    const figure = $('#map' + n);
    return {
      n, figure, frame: $('.frame', figure), img: $('img', figure), problem: $('.problem', figure),
      details: $('.details', figure), url: null, w: 0, h: 0, generation: 0, pictures: 0,
    };
  });
  const live = $('#live');
  const rows = $('#rows');
  const filter = $('#filter');
  const status = $('#status');

  // What the page has received, for anyone looking (and the tests): pictures per map, messages.
  const stats = { pictures: 0, lastPicture: 0, messages: 0, details: 0, connected: false };
  // onPicture(map, messages), when set, runs as each picture is shown: `messages` is how many
  // messages the station had processed when the picture was drawn.
  // aircraft: the rows of the table as last received.
  window.korval = { stats, maps, onPicture: null, aircraft: [] };

  let socket = null;
  let retry = RETRY_FIRST_MS;
  let clickId = 0;

  // ---- connection ---------------------------------------------------------------------------

  function connect() {
    const scheme = location.protocol === 'https:' ? 'wss://' : 'ws://';
    socket = new WebSocket(scheme + location.host + '/ws');
    socket.binaryType = 'arraybuffer';
    socket.addEventListener('open', () => {
      retry = RETRY_FIRST_MS;
      stats.connected = true;
      setStatus('live', false);
      sendSizes(true);
    });
    socket.addEventListener('message', event => {
      if (typeof event.data === 'string') {
        onText(JSON.parse(event.data));
      } else {
        onPicture(event.data);
      }
    });
    socket.addEventListener('close', event => {
      stats.connected = false;
      const why = event.reason ? ' (' + event.reason + ')' : '';
      setStatus('disconnected' + why + '; trying again', true);
      setTimeout(connect, retry);
      retry = Math.min(retry * 2, RETRY_LAST_MS);
    });
  }

  function send(message) {
    if (socket && socket.readyState === WebSocket.OPEN) socket.send(JSON.stringify(message));
  }

  function setStatus(text, down) {
    status.textContent = text;
    status.classList.toggle('down', down);
  }

  // ---- maps ---------------------------------------------------------------------------------

  let sentSizes = '';
  function sendSizes(always) {
    const sizes = maps.map(m => m.figure.hidden ? [0, 0] : [m.frame.clientWidth, m.frame.clientHeight]);
    const key = JSON.stringify(sizes);
    if (!always && key === sentSizes) return;
    sentSizes = key;
    send({ t: 'size', maps: sizes });
  }

  let resizeTimer = 0;
  new ResizeObserver(() => {
    clearTimeout(resizeTimer);
    resizeTimer = setTimeout(() => sendSizes(false), RESIZE_SETTLE_MS);
  }).observe($('#maps'));

  // "KM", map, flags, width (2), height (2), generation (4), messages so far (4), then the JPEG.
  const HEADER = 16;
  function onPicture(buffer) {
    const bytes = new DataView(buffer);
    if (buffer.byteLength < HEADER || bytes.getUint8(0) !== 75 || bytes.getUint8(1) !== 77) return;
    const m = maps[bytes.getUint8(2) - 1];
    if (!m) return;
    const messages = bytes.getUint32(12);
    const url = URL.createObjectURL(new Blob([buffer.slice(HEADER)], { type: 'image/jpeg' }));
    const old = m.url;
    m.url = url;
    m.w = bytes.getUint16(4);
    m.h = bytes.getUint16(6);
    m.generation = bytes.getUint32(8);
    m.img.onload = () => {
      if (old) URL.revokeObjectURL(old);
      m.pictures++;
      stats.pictures++;
      stats.lastPicture = performance.now();
      m.img.dataset.generation = String(m.generation);
      if (window.korval.onPicture) window.korval.onPicture(m.n, messages);
    };
    m.img.width = m.w;
    m.img.height = m.h;
    m.img.src = url;
    m.problem.textContent = bytes.getUint8(3) & 1 ? 'Not every mark could be drawn; see the error log.' : '';
  }

  function mapProblem(message) {
    const m = maps[message.n - 1];
    if (!m) return;
    m.problem.textContent = message.problem;
  }

  for (const m of maps) {
    m.img.addEventListener('mousedown', event => {
      if (event.button !== 0 && event.button !== 2) return;
      event.preventDefault();
      const box = m.img.getBoundingClientRect();
      if (!m.w || !box.width || !box.height) return;
      const x = (event.clientX - box.left) * m.w / box.width;
      const y = (event.clientY - box.top) * m.h / box.height;
      send({ t: 'click', map: m.n, id: ++clickId, x, y, w: m.w, h: m.h,
             button: event.button === 2 ? 'right' : 'left' });
    });
    m.img.addEventListener('contextmenu', event => event.preventDefault());
  }

  function showDetails(message) {
    const m = maps[message.map - 1];
    if (!m) return;
    stats.details++;
    const caption = (message.caption || '').replace(/^\n/, '');
    if (message.problem || !caption) {
      m.details.hidden = !message.problem;
      m.details.textContent = message.problem || '';
      m.details.style.background = '';
      return;
    }
    m.details.textContent = caption;
    m.details.style.background = message.bg;
    m.details.hidden = false;
  }

  // ---- messages, counts, clock --------------------------------------------------------------

  function addLive(items) {
    const fragment = document.createDocumentFragment();
    for (let i = items.length - 1; i >= 0; i--) {  // items come oldest first
      const item = items[i];
      const li = document.createElement('li');
      li.textContent = item.text.replace(/\r\n?/g, '\n');
      li.style.color = item.fg;
      li.style.background = item.bg;
      li.title = 'UTC ' + item.utc;
      li.dataset.n = item.n;
      fragment.appendChild(li);
    }
    live.insertBefore(fragment, live.firstChild);
    while (live.childElementCount > LIVE_KEPT) live.lastElementChild.remove();
    stats.messages += items.length;
  }

  function setBoxes(message) {
    if ('count' in message) $('#txtCount').textContent = message.count;
    if ('oca' in message) $('#txtOCA').textContent = message.oca;
    if ('utc' in message) $('#labUTC').textContent = message.utc;
  }

  // ---- aircraft table -----------------------------------------------------------------------

  let aircraft = [];
  let sortKey = 'time', sortDown = true;

  function renderTable() {
    const words = filter.value.toLowerCase().split(/\s+/).filter(Boolean);
    const keys = ['kind', 'id', 'flight', 'pos', 'source', 'time', 'oceanic'];
    const shown = aircraft.filter(a => {
      const text = keys.map(k => a[k] || '').join(' ').toLowerCase();
      return words.every(w => text.includes(w));
    });
    const order = sortKey === 'pos'
      ? (a, b) => (a.lat ?? 999) - (b.lat ?? 999) || (a.lon ?? 999) - (b.lon ?? 999)
      : (a, b) => String(a[sortKey] || '').localeCompare(String(b[sortKey] || ''), undefined, { numeric: true });
    shown.sort((a, b) => (sortDown ? -1 : 1) * order(a, b));
    const fragment = document.createDocumentFragment();
    for (const a of shown) {
      const tr = document.createElement('tr');
      for (const k of keys) {
        const td = document.createElement('td');
        td.textContent = a[k] || '';
        if (k === 'pos' || k === 'time') td.className = 'num';
        tr.appendChild(td);
      }
      fragment.appendChild(tr);
    }
    rows.replaceChildren(fragment);
    $('#aircraftCount').textContent = shown.length === aircraft.length
      ? aircraft.length + ' tracked' : shown.length + ' of ' + aircraft.length + ' tracked';
    for (const th of document.querySelectorAll('#aircraft th')) {
      th.setAttribute('aria-sort', th.dataset.key === sortKey ? (sortDown ? 'descending' : 'ascending') : 'none');
    }
  }

  for (const th of document.querySelectorAll('#aircraft th')) {
    th.addEventListener('click', () => {
      if (sortKey === th.dataset.key) {
        sortDown = !sortDown;
      } else {
        sortKey = th.dataset.key;
        sortDown = false;
      }
      renderTable();
    });
  }
  filter.addEventListener('input', renderTable);

  // ---- messages from the station ------------------------------------------------------------

  function onText(message) {
    switch (message.t) {
      case 'hello':
        live.replaceChildren();
        stats.messages = 0;
        if (message.live) addLive(message.live);
        setBoxes(message);
        aircraft = window.korval.aircraft = message.aircraft || [];
        renderTable();
        break;
      case 'update':
        if (message.live) addLive(message.live);
        setBoxes(message);
        if (message.aircraft) {
          aircraft = window.korval.aircraft = message.aircraft;
          renderTable();
        }
        break;
      case 'map':
        mapProblem(message);
        break;
      case 'details':
        showDetails(message);
        break;
    }
  }

  connect();
})();
