// The one script that index.html names: it loads the page's modules
// (page/main.js and what it imports). Browsers run modules only from a
// server: opened from the file system, the page says so itself, as it says
// that a module could not be loaded.
'use strict';

(function () {
  function cannotPlay(reason) {
    console.warn('orvel: ' + reason);
    const message = document.getElementById('message');
    message.textContent = reason;
    message.hidden = false;
    document.documentElement.dataset.orvel = 'error';
  }

  if (location.protocol === 'file:') {
    cannotPlay('This page must be served over HTTP, not opened from a file: run scripts/web --serve ' +
      'and open the address it prints.');
  } else {
    import('./page/main.js').catch((e) => cannotPlay(`The page's scripts could not be loaded: ${e.message}`));
  }
})();
